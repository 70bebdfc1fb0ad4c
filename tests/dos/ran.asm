; ran.com (test helper): stands in for an rb.com that comes back. Leaves
; c:\ran.txt to show it was started, writes DOS's buffers to disk (the
; restart that follows would lose them), then returns.
        cpu 8086
        org 100h
        mov ah, 3Ch
        xor cx, cx
        mov dx, name
        int 21h
        jc .done
        mov bx, ax
        mov ah, 3Eh
        int 21h
.done:  mov ah, 0Dh
        int 21h
        mov ax, 4C00h
        int 21h
name    db 'c:\ran.txt', 0
