; busy.com (test helper): an earlier boot-script line that takes a while: it
; waits about 3 seconds, asking DOS for the time, so a break pressed meanwhile
; is seen by DOS as in any program.
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
        dec bh
        jnz .tick
        mov ax, 4C00h
        int 21h
