; breaker.com (test helper): stays resident and stands in for the system's
; break handling. Once a program opens a file (qg.exe opens its password
; file after taking over its vectors), its next three outputs through DOS
; first raise INT 1Bh (Ctrl+Break) and INT 23h (Ctrl+C), as the BIOS and DOS
; do when the user presses them. Where the program left either vector at
; the system default, the program is ended, like an unhandled break.
        cpu 8086
        org 100h
        jmp install

old21   dd 0
def23   dd 0
armed   db 0
left    db 3

int21:  cmp ah, 3Dh
        jne .output
        mov byte [cs:armed], 1
.output:
        cmp ah, 9
        je .raise
        cmp ah, 40h
        jne .chain
.raise: cmp byte [cs:armed], 0
        je .chain
        cmp byte [cs:left], 0
        je .chain
        dec byte [cs:left]
        int 1Bh
        push ds
        push ax
        xor ax, ax
        mov ds, ax
        mov ax, [23h * 4]
        cmp ax, [cs:def23]
        jne .hooked
        mov ax, [23h * 4 + 2]
        cmp ax, [cs:def23 + 2]
        jne .hooked
        pop ax
        pop ds
        jmp stop
.hooked:
        pop ax
        pop ds
        int 23h
.chain: jmp far [cs:old21]

; The system default for both breaks: end the running program.
stop:   mov byte [cs:left], 0       ; once is enough
        mov ax, 4C7Fh
        pushf
        call far [cs:old21]     ; straight to DOS, past our own hook

install:
        mov ax, 3521h
        int 21h
        mov [old21], bx
        mov [old21 + 2], es
        mov ax, 3523h           ; DOS puts it back for every program
        int 21h
        mov [def23], bx
        mov [def23 + 2], es
        mov dx, int21
        mov ax, 2521h
        int 21h
        mov dx, stop
        mov ax, 251Bh
        int 21h
        mov dx, (install - $$ + 100h + 15) / 16
        mov ax, 3100h
        int 21h
