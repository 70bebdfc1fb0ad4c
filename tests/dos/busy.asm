; busy.com (test helper): an earlier boot-script line that takes a while: it
; waits about 3 seconds, asking DOS for the time, and writes a line to
; standard output each second, as programs that report progress do. MS-DOS
; looks for a break at every 64th character written to the screen whatever
; BREAK says (when asked for the time, only with BREAK=ON), so a line of 64
; characters makes a break pressed meanwhile seen as in any such program.
; While it runs, the BIOS's inter-program byte at 0040:00F0 holds 'B', so a
; check can press a key while this program runs, not while the shell is still
; starting it (FreeCOM halts the PC at a break there).
        cpu 8086
        org 100h
RUNNING equ 0F0h                ; in segment 40h
        mov ax, 40h
        mov es, ax
        mov byte [es:RUNNING], 'B'
        mov ah, 2Ch
        int 21h
        mov bl, dh              ; seconds
        mov bh, 4
.tick:  mov ah, 2Ch
        int 21h
        cmp dh, bl
        je .tick
        mov bl, dh
        push bx
        mov ah, 40h
        mov bx, 1
        mov cx, LINE_LEN
        mov dx, line
        int 21h
        pop bx
        dec bh
        jnz .tick
        mov byte [es:RUNNING], 0
        mov ax, 4C00h
        int 21h
line    db 'busy.com: still working, a line of sixty-four characters a second'
        db 13, 10
LINE_LEN equ $ - line
