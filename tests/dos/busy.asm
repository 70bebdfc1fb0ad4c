; busy.com (test helper): an earlier boot-script line that takes a while: it
; waits about 3 seconds, asking DOS for the time, and writes a line to
; standard output each second, as programs that report progress do. MS-DOS
; looks for a break at every 64th character written to the screen whatever
; BREAK says (when asked for the time, only with BREAK=ON), so a line of 64
; characters makes a break pressed meanwhile seen as in any such program.
        cpu 8086
        org 100h
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
        mov ax, 4C00h
        int 21h
line    db 'busy.com: still working, a line of sixty-four characters a second'
        db 13, 10
LINE_LEN equ $ - line
