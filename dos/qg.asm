; qg.exe - asks for the boot password before the rest of c:\autoexec.bat runs.
;
; Contract with the configuration program:
; - A .COM image named qg.exe (DOS goes by the "MZ" mark, not by the name).
;   It is copied to c:\Qg_Data and started by the line c:\Qg_Data\qg.exe,
;   which is appended to c:\autoexec.bat.
; - c:\qg_data\vhod.dll holds the password: exactly N bytes (N = 1..15),
;   byte i being character i XOR 6Bh (the code of "k"); no header, no
;   terminator. A zero byte is the letter "k" like any other character.
; - A new password is written whole as c:\qg_data\vhod.new, then vhod.dll
;   is deleted and vhod.new renamed to it. A power cut between the two
;   leaves only vhod.new, so it is read when vhod.dll does not exist (not
;   when vhod.dll exists but is damaged: then vhod.new is ignored).
; - c:\qg_data\rb.com restarts the computer; it runs after the third wrong
;   password. Should it fail to start, or come back, qg.exe restarts the
;   computer itself: after three wrong passwords the boot never goes on.
; - Exit code 0: password accepted. Exit code 1: no valid password file, so
;   a notice is shown and the boot goes on (a damaged installation must not
;   lock the owner out).
; - A disk error never lets the boot go on unasked: should DOS end us itself
;   after one, `terminated` restarts the computer while a password is asked.
; - The configuration program may also start it from CONFIG.SYS
;   (INSTALL=C:\QG_DATA\QG.EXE /I), before COMMAND.COM can be broken into.
;   MS-DOS reports "Error in CONFIG.SYS" after any program started so that
;   does not stay resident, so there it ends by keeping the smallest block
;   DOS allows. That block carries a mark with the exit code, which every
;   later run in the same boot finds in DOS's memory chain: it then ends at
;   once with that exit code, without asking again. A restart builds the
;   chain anew, so the mark never outlives the boot it was made in.
;
; The paths, the key and the longest password come from contract.inc, which
; the build generates from the configuration program's own definitions.
;
; Build: nasm -f bin -I dos/ -I BUILD/generated/ -o qg.exe dos/qg.asm

        cpu 8086
        org 100h

%include "contract.inc"         ; MAXLEN, KEY, PW_PATH, PW_NEW_PATH, RB_PATH
TRIES           equ 3
BIOS_DATA       equ 40h
KB_FLAGS        equ 17h         ; bit 6: Caps Lock on
CAPS_BIT        equ 40h
BREAK_FLAG      equ 71h         ; bit 7: the BIOS saw Ctrl+Break
KB_HEAD         equ 1Ah         ; the BIOS keyboard buffer: next key to read,
KB_TAIL         equ 1Ch         ; next free place,
KB_START        equ 80h         ; and its bounds, where the BIOS keeps them
KB_END          equ 82h
KB_BUFFER       equ 1Eh         ; where it is otherwise
KB_BUFFER_END   equ 3Eh
TIMER_TICKS     equ 6Ch         ; 18.2 ticks a second
PSP_ENVIRONMENT equ 2Ch         ; segment of our environment
PSP_TAIL        equ 80h         ; length, then the command line's tail
PSP_MARK        equ 55h         ; 7 bytes that no DOS uses (an FCB's header):
                                ; the mark, then the exit code
MCB_OWNER       equ 1           ; memory block header: owner's PSP segment,
MCB_SIZE        equ 3           ; size in paragraphs
PSP_TERMINATE   equ 0Ah         ; where DOS goes once it has ended us
ERR_NO_FILE     equ 2           ; DOS errors: file not found,
ERR_NO_PATH     equ 3           ; path not found
KEEP_PARAGRAPHS equ 6           ; the least DOS keeps of a resident program

; Before anything else, and before any DOS call: a Ctrl+C or Ctrl+Break typed
; while DOS loaded us is acted on at our first DOS call that checks for breaks,
; and the handler we inherit from COMMAND.COM would end us there, letting the
; boot script go on. So the vectors are written directly, interrupts off.
start:
        cli
        mov sp, stack_top
        ; Our handlers live in whatever segment DOS loaded us into.
        mov [vector_table + 3], cs
        mov [vector_table + 8], cs
        mov [vector_table + 13], cs
        call swap_vectors
        mov [parent_return + 2], cs
        call swap_return
        sti
        cld
        call clear_break
        ; DOS's own break checking off while we run: with it on, nearly every
        ; DOS call looks for Ctrl+C and prints "^C" before calling INT 23h.
        ; Functions 33h never check.
        mov ax, 3300h
        int 21h
        mov [break_state], dl
        mov ax, 3301h
        xor dl, dl
        int 21h
        ; Asked already in this boot, from CONFIG.SYS: the same way out as
        ; that run's, without a word.
        call find_mark
        jnc finish
        call text_mode
        ; Give back all memory but our own, or DOS has none to start rb.com.
        ; Should this fail, EXEC fails too and we restart directly.
        mov bx, bss_end + 15
        mov cl, 4
        shr bx, cl
        mov ah, 4Ah
        int 21h
        call load_password
        jc no_password
        mov byte [asking], 1
        call flush_keys         ; keys typed before the prompt showed do not count
        mov dx, msg_title
        call print
ask:
        call read_entry
        mov cx, [entry_len]
        cmp cx, [pw_len]
        jne wrong
        mov si, password
        mov di, entry
        repe cmpsb
        jne wrong
        mov dx, msg_accepted
        call print
        xor al, al
        jmp finish

wrong:
        mov dx, msg_wrong
        call print
        mov bx, [failures]
        inc word [failures]
        shl bx, 1
        mov cx, [pause_ticks + bx]
        cmp bx, (TRIES - 1) * 2
        jae locked_out
        call pause
        call flush_keys         ; keys typed during the pause do not count
        jmp ask

locked_out:
        mov dx, msg_restart
        call print
        call pause              ; time to read why the computer restarts
        ; A warm restart keeps memory, and rb.com may come back.
        call wipe_secrets
        call forget_input
        call run_rb
        jmp reboot              ; rb.com did not restart the computer

no_password:
        mov dx, msg_no_password
        call print
        mov al, 1
finish:
        push ax
        call swap_return        ; nothing from here on makes DOS end us
        call wipe_secrets
        ; Keys and a Ctrl+Break left from the prompt would otherwise reach
        ; COMMAND.COM, which asks whether to end the boot script.
        call forget_input
        mov ax, 3301h
        mov dl, [break_state]
        int 21h
        cli
        call swap_vectors       ; DOS would put back INT 23h and 24h, not 1Bh
        sti
        pop ax
        call from_config
        mov ah, 4Ch
        jc .exit
        ; Nothing of ours is in use any more: only the program prefix stays,
        ; without the copy of the environment that DOS made for us.
        mov cx, [PSP_ENVIRONMENT]
        jcxz .keep
        push ax
        mov es, cx
        mov ah, 49h
        int 21h
        mov word [PSP_ENVIRONMENT], 0
        pop ax
.keep:
        call set_mark
        mov ah, 31h
        mov dx, KEEP_PARAGRAPHS
.exit:
        int 21h

; from_config: tells whether CONFIG.SYS's INSTALL= started us: our line
; there passes INSTALL_SWITCH. A line without it (written by hand) passes an
; environment without a single variable (none at all on some systems);
; COMMAND.COM's always holds COMSPEC.
; In: nothing. Out: CF clear if started from CONFIG.SYS, set if not.
; Clobbers nothing.
from_config:
        call has_switch
        jnc .ret
        push ds
        push bx
        mov ds, [cs:PSP_ENVIRONMENT]
        mov bx, ds
        or bx, bx
        jz .yes
        cmp byte [0], 0
        je .yes
        stc
        jmp .done
.yes:
        clc
.done:
        pop bx
        pop ds
.ret:
        ret

; has_switch: tells whether the command line's tail holds INSTALL_SWITCH,
; in either letter case.
; In: nothing. Out: CF clear if it does, set if not. Clobbers nothing.
has_switch:
        push ax
        push cx
        push si
        push di
        mov si, PSP_TAIL
        cs lodsb
        mov cl, al
        xor ch, ch
.next:
        cmp cx, SWITCH_LEN
        jb .no
        push cx
        push si
        mov di, install_switch
        mov cx, SWITCH_LEN
.compare:
        cs lodsb
        cmp al, 'a'
        jb .upper
        cmp al, 'z'
        ja .upper
        sub al, 20h
.upper:
        inc di
        cmp al, [cs:di - 1]
        loope .compare
        pop si
        pop cx
        je .yes                 ; all SWITCH_LEN characters matched
        inc si
        dec cx
        jmp .next
.no:
        stc
        jmp .done
.yes:
        clc
.done:
        pop di
        pop si
        pop cx
        pop ax
        ret

; find_mark: walks DOS's memory chain for a block that set_mark marked in
; this boot: a program prefix that owns its own block of KEEP_PARAGRAPHS,
; with the mark in it. Stale bytes of an earlier boot lie in free blocks or
; inside other programs' blocks, never at such a place. A chain that stops
; making sense ends the walk: no mark.
; In: DS = CS, BREAK off (function 52h would check for Ctrl+C otherwise).
; Out: CF clear if the mark is there, AL = the exit code of the run that
;      made it; CF set if not. ES = CS.
; Clobbers AX, BX, CX, SI, DI.
find_mark:
        mov ah, 52h             ; ES:BX = DOS's list of lists
        int 21h
        mov ax, [es:bx - 2]     ; the first block's header
.block:
        mov es, ax
        mov bx, [es:MCB_SIZE]
        inc ax                  ; the block itself
        cmp [es:MCB_OWNER], ax
        jne .next
        cmp bx, KEEP_PARAGRAPHS
        jne .next
        push es
        mov es, ax
        mov di, PSP_MARK
        mov si, mark
        mov cx, MARK_LEN
        repe cmpsb
        mov cl, [es:di]         ; the exit code
        pop es
        je .found
.next:
        cmp byte [es:0], 'M'    ; 'Z' ends the chain
        jne .none
        add ax, bx
        jnc .block
.none:
        stc
        jmp .done
.found:
        mov al, cl
        clc
.done:
        push cs
        pop es
        ret

; set_mark: marks our program prefix, which stays resident, as asked in
; this boot, with the outcome: the password accepted, or none to ask for
; (the boot-script run would find the same files).
; In: DS = CS, AL = exit code. Out: ES = CS. Clobbers CX, SI, DI.
set_mark:
        push cs
        pop es
        mov di, PSP_MARK
        mov si, mark
        mov cx, MARK_LEN
        rep movsb
        stosb
        ret

; swap_return: exchanges the address that DOS goes to once it has ended us,
; in our program prefix, with the one kept in parent_return: the first call
; makes it `terminated` and keeps the parent's, the second puts that back.
; In: DS = CS. Out: nothing. Clobbers AX.
swap_return:
        mov ax, [parent_return]
        xchg ax, [PSP_TERMINATE]
        mov [parent_return], ax
        mov ax, [parent_return + 2]
        xchg ax, [PSP_TERMINATE + 2]
        mov [parent_return + 2], ax
        ret

; terminated: where DOS goes when it ends us itself. Where DOS allows no Fail
; after a disk error (reading rb.com or the password file, on some systems),
; it turns our INT 24h handler's Fail into Abort and ends us with exit code
; 0: the boot script would go on, with INT 1Bh pointing into freed memory.
; DOS has put INT 22h-24h back from our program prefix and freed our memory,
; which nothing has used since. Puts INT 1Bh and BREAK back and wipes; then
; restarts while a password is asked for, else (the password file could not
; be read) shows the notice and goes on to the parent, as when the file is
; damaged.
; In: SS:SP = the parent's stack. Out: to the parent's return address with
; every register and flag as DOS left them, or a restart. Clobbers nothing.
terminated:
        pushf
        push ax
        push cx
        push dx
        push bx
        push si
        push di
        push bp
        push ds
        push es
        mov ax, cs
        cli
        mov [cs:parent_stack], sp
        mov [cs:parent_stack + 2], ss
        mov ss, ax
        mov sp, stack_top
        mov ds, ax
        cld
        call swap_vectors       ; INT 23h and 24h as DOS put them back
        xor ax, ax
        mov es, ax
        mov ax, [parent_return]
        mov [es:22h * 4], ax
        mov ax, [parent_return + 2]
        mov [es:22h * 4 + 2], ax
        push cs
        pop es
        sti
        mov ax, 3301h
        mov dl, [break_state]
        int 21h
        call wipe_secrets
        call forget_input
        cmp byte [asking], 0
        je .go_on
        jmp reboot
.go_on:
        mov dx, msg_no_password
        call print
        cli
        mov ss, [parent_stack + 2]
        mov sp, [parent_stack]
        pop es
        pop ds
        pop bp
        pop di
        pop si
        pop bx
        pop dx
        pop cx
        pop ax
        popf
        jmp far [cs:parent_return]

; ignore_break: INT 1Bh and INT 23h handler. Ctrl+Break and Ctrl+C must not
; stop the prompt, nor the boot script that started it.
; In: nothing. Out: nothing. Clobbers nothing.
ignore_break:
        iret

; fail_critical: INT 24h handler. A disk error makes the DOS call fail
; instead of asking "Abort, Retry, Fail?": an abort would end us with
; INT 1Bh still pointing here.
; In: nothing. Out: AL = 3 (fail the call). Clobbers nothing else.
fail_critical:
        mov al, 3
        iret

; swap_vectors: exchanges each interrupt vector named in vector_table with
; the one stored beside it there, writing the vector table directly (no DOS
; call). The first call puts our handlers in and keeps the old vectors, the
; second puts those back.
; In: DS = CS, interrupts off. Out: ES = CS. Clobbers AX, BX, SI.
swap_vectors:
        xor ax, ax
        mov es, ax
        mov si, vector_table
.next:
        mov bl, [si]
        or bl, bl
        jz .done
        xor bh, bh
        shl bx, 1
        shl bx, 1
        mov ax, [si + 1]
        xchg ax, [es:bx]
        mov [si + 1], ax
        mov ax, [si + 3]
        xchg ax, [es:bx + 2]
        mov [si + 3], ax
        add si, 5
        jmp .next
.done:
        push cs
        pop es
        ret

; clear_break: clears the BIOS Ctrl+Break flag, on which DOS acts at the next
; DOS call that checks for breaks (printing "^C").
; In: nothing. Out: nothing. Clobbers nothing.
clear_break:
        push ds
        push ax
        mov ax, BIOS_DATA
        mov ds, ax
        and byte [BREAK_FLAG], 7Fh
        pop ax
        pop ds
        ret

; text_mode: sets 80x25 text mode when the screen is in a graphics mode (the
; Windows 95/98 start-up logo leaves it so while the boot script runs), so
; the prompt can be seen; a text mode is left as it is, screen and all.
; In: nothing. Out: video_page = the page we print on. Clobbers AX, BX.
text_mode:
        mov ah, 0Fh             ; AL = mode, BH = page
        int 10h
        and al, 7Fh             ; bit 7: the last mode change kept the screen
        cmp al, 2
        je .text
        cmp al, 3
        je .text
        cmp al, 7
        je .text
        mov ax, 0003h
        int 10h
        xor bh, bh
.text:
        mov [video_page], bh
        ret

; load_password: reads and unscrambles the password file, or the new one
; while the password file does not exist (a new password cut off before it
; was renamed into place).
; In: DS = CS.
; Out: CF clear: password holds the password, pw_len its length (1..15).
;      CF set: no usable password: both files are missing, or the file read
;      is unreadable, empty, longer than 15 bytes, or holds a character that
;      cannot be typed at the prompt (the owner could never enter it).
; Clobbers AX, BX, CX, DX, SI.
load_password:
        mov ax, 3D00h           ; open, read only
        mov dx, pw_path
        int 21h
        jnc .read
        ; Only a file that is not there falls back, not one DOS cannot open.
        cmp ax, ERR_NO_FILE
        je .new
        cmp ax, ERR_NO_PATH
        jne .bad
.new:
        mov ax, 3D00h
        mov dx, pw_new_path
        int 21h
        jc .ret
.read:
        mov bx, ax
        mov ah, 3Fh             ; one byte more than allowed: tells too long
        mov cx, MAXLEN + 1
        mov dx, password
        int 21h
        pushf
        push ax
        mov ah, 3Eh
        int 21h
        pop cx
        popf
        jc .ret
        jcxz .bad
        cmp cx, MAXLEN
        ja .bad
        mov [pw_len], cx
        mov si, password
.unscramble:
        xor byte [si], KEY
        cmp byte [si], 21h
        jb .bad
        cmp byte [si], 7Eh
        ja .bad
        inc si
        loop .unscramble
        clc
        ret
.bad:
        stc
.ret:
        ret

; read_entry: lets the user type a password: printable characters add a
; "*" (at most 15), Backspace erases one, Esc clears the line, Enter with at
; least one character ends. Anything else (Ctrl+C, Ctrl+Break's empty key,
; space, function keys) is ignored. The Caps Lock notice follows the key.
; In: DS = ES = CS. Out: entry and entry_len hold the typed password.
; Clobbers AX, BX, CX, DX, SI, DI.
read_entry:
        mov word [entry_len], 0
.redraw:
        call draw_prompt
.poll:
        call caps_state
        cmp al, [caps_shown]
        jne .redraw
        mov ah, 1               ; a key waiting?
        int 16h
        jnz .key
        ; Halt until the next interrupt (a key, or the timer 18 times a
        ; second): polling would keep an emulator at a whole core.
        sti
        hlt
        jmp .poll
.key:
        xor ah, ah
        int 16h
        mov bx, [entry_len]
        cmp al, 0Dh
        je .enter
        cmp al, 8
        je .backspace
        cmp al, 1Bh
        je .escape
        cmp al, 21h
        jb .poll
        cmp al, 7Eh
        ja .poll
        cmp bx, MAXLEN
        jae .poll
        mov [entry + bx], al
        inc word [entry_len]
        jmp .redraw
.backspace:
        or bx, bx
        jz .poll
        dec word [entry_len]
        jmp .redraw
.escape:
        mov word [entry_len], 0
        jmp .redraw
.enter:
        or bx, bx               ; an empty line is no try
        jz .poll
        mov dx, msg_newline
        jmp print

; draw_prompt: rewrites the prompt line: the label, one "*" per typed
; character, blanks up to the longest entry, the Caps Lock notice or as many
; blanks, then moves the cursor back behind the last "*".
; In: DS = ES = CS, entry_len. Out: caps_shown = Caps Lock state shown.
; Clobbers AX, BX, CX, DX, SI, DI.
draw_prompt:
        mov di, line
        mov si, msg_prompt
        mov cx, PROMPT_LEN
        rep movsb
        mov cx, [entry_len]
        mov al, '*'
        rep stosb
        mov cx, MAXLEN
        sub cx, [entry_len]
        mov bx, cx
        mov al, ' '
        rep stosb
        call caps_state
        mov [caps_shown], al
        mov si, msg_caps
        or al, al
        jnz .notice
        mov si, msg_no_caps
.notice:
        mov cx, CAPS_LEN
        rep movsb
        add bx, CAPS_LEN
        mov cx, bx
        mov al, 8               ; backspace: cursor left
        rep stosb
        mov al, '$'
        stosb
        mov dx, line
        ; fall through

; print: writes a "$"-terminated text at the cursor through the BIOS. DOS's
; console output would look for Ctrl+C and print "^C".
; In: DS:DX = text. Out: nothing. Clobbers AX, BX, SI.
print:
        mov si, dx
        mov bh, [video_page]
.next:
        lodsb
        cmp al, '$'
        je .done
        mov ah, 0Eh
        int 10h
        jmp .next
.done:
        ret

; caps_state: tells whether Caps Lock is on.
; In: nothing. Out: AL = CAPS_BIT if on, 0 if off. Clobbers AH.
caps_state:
        push ds
        mov ax, BIOS_DATA
        mov ds, ax
        mov al, [KB_FLAGS]
        and al, CAPS_BIT
        pop ds
        ret

; pause: waits, whatever is typed meanwhile, halted between timer ticks.
; In: CX = timer ticks to wait at least. Out: nothing. Clobbers AX, DX.
pause:
        push ds
        mov ax, BIOS_DATA
        mov ds, ax
        sti
        mov dx, [TIMER_TICKS]
        inc cx                  ; the first tick may come at once
.wait:
        hlt
        mov ax, [TIMER_TICKS]
        sub ax, dx              ; wraps at midnight: ends the pause early
        cmp ax, cx
        jb .wait
        dec cx
        pop ds
        ret

; flush_keys: drops every key waiting in the BIOS buffer.
; In: nothing. Out: nothing. Clobbers AX.
flush_keys:
        mov ah, 1
        int 16h
        jz .done
        xor ah, ah
        int 16h
        jmp flush_keys
.done:
        ret

; forget_input: leaves no key, no break and no copy of what was typed
; behind: empties DOS's console input, drops the keys waiting, clears the
; BIOS break flag and zeroes the BIOS keyboard buffer (reading a key only
; moves the buffer's head, so the password typed stays in it), interrupts
; off meanwhile. MS-DOS's console driver keeps a Ctrl+Break pressed during an
; earlier line, or while DOS loaded us, as a Ctrl+C of its own, which the
; next DOS call that checks would act on; function 0Ch with AL=0 drops it
; without checking.
; In: DF clear. Out: nothing. Clobbers AX, CX, DI.
forget_input:
        mov ax, 0C00h
        int 21h
        call flush_keys
        call clear_break
        push es
        mov ax, BIOS_DATA
        mov es, ax
        pushf
        cli
        ; The bounds at 0040:0080 and 0082 count only where both ends of the
        ; keys waiting lie within them: older BIOSes leave them unset.
        mov di, [es:KB_START]
        mov cx, [es:KB_END]
        mov ax, [es:KB_HEAD]
        cmp ax, di
        jb .standard
        cmp ax, cx
        jae .standard
        mov ax, [es:KB_TAIL]
        cmp ax, di
        jb .standard
        cmp ax, cx
        jb .wipe
.standard:
        mov di, KB_BUFFER
        mov cx, KB_BUFFER_END
.wipe:
        mov [es:KB_HEAD], di
        mov [es:KB_TAIL], di
        sub cx, di
        xor al, al
        rep stosb
        popf
        pop es
        ret

; run_rb: starts c:\qg_data\rb.com and returns if it could not be started or
; came back.
; In: DS = CS. Out: DS = ES = SS = CS, SP as before. Clobbers all others.
run_rb:
        mov [exec_tail + 2], cs
        mov [exec_fcb1 + 2], cs
        mov [exec_fcb2 + 2], cs
        mov [saved_sp], sp
        mov dx, rb_path
        mov bx, exec_block
        push cs
        pop es
        mov ax, 4B00h
        int 21h
        ; Older DOS versions return with every register changed.
        mov ax, cs
        cli
        mov ss, ax
        mov sp, [cs:saved_sp]
        sti
        mov ds, ax
        mov es, ax
        ret

; wipe_secrets: zeroes the password and the typed entry, which would
; otherwise stay in memory after we leave.
; In: ES = CS. Out: nothing. Clobbers AX, CX, DI.
wipe_secrets:
        mov di, secrets
        mov cx, SECRETS_LEN
        xor al, al
        rep stosb
        ret

%include "reboot.inc"

; Interrupt number, then our handler (offset, segment) until swap_vectors
; puts it in and keeps the old vector here instead. The segments are set at
; start (entries 5 bytes apart).
vector_table:
        db 1Bh
        dw ignore_break, 0
        db 23h
        dw ignore_break, 0
        db 24h
        dw fail_critical, 0
        db 0

; Ticks to wait after the first, second and third wrong password: a little
; over 1, 2 and 4 seconds.
pause_ticks     dw 20, 38, 74

exec_block:
        dw 0                    ; our environment
exec_tail       dw empty_tail, 0
exec_fcb1       dw 5Ch, 0
exec_fcb2       dw 6Ch, 0
empty_tail      db 0, 0Dh

pw_path         db PW_PATH, 0
pw_new_path     db PW_NEW_PATH, 0
rb_path         db RB_PATH, 0
install_switch  db INSTALL_SWITCH
SWITCH_LEN      equ $ - install_switch
mark            db 'QGdone'
MARK_LEN        equ $ - mark

msg_title       db 'This computer is locked. Type the password and press '
                db 'Enter.', 13, 10, '$'
msg_prompt      db 13, 'Password: '
PROMPT_LEN      equ $ - msg_prompt
msg_caps        db '  Caps Lock is on'
CAPS_LEN        equ $ - msg_caps
msg_no_caps     times CAPS_LEN db ' '
msg_newline     db 13, 10, '$'
msg_accepted    db 'Password accepted.', 13, 10, '$'
msg_wrong       db 'Wrong password.', 13, 10, '$'
msg_restart     db 'Three wrong passwords: restarting the computer.'
                db 13, 10, '$'
msg_no_password db 'No valid boot password is set (', PW_PATH, '); '
                db 'starting without one.', 13, 10, '$'

failures        dw 0
parent_return   dw terminated, 0 ; the segment is set at start
asking          db 0            ; 1 while a password is asked for
break_state     db 0            ; DOS's break checking when we started
video_page      db 0

        section .bss
secrets:
password        resb MAXLEN + 1
entry           resb MAXLEN
pw_len          resw 1
SECRETS_LEN     equ $ - secrets
entry_len       resw 1
caps_shown      resb 1
saved_sp        resw 1
parent_stack    resw 2
line            resb PROMPT_LEN + MAXLEN * 2 + CAPS_LEN * 2 + 1
        ; Without interrupt stacks (DOS on a PC/XT), KEYB and the video BIOS
        ; run on ours too.
                resb 1024
stack_top:
bss_end:
