; leftover.com (test helper): an earlier boot-script line that leaves a write
; for the restart after three wrong passwords to lose: it stays resident as a
; write-behind disk cache would, holding a line for c:\t\cached.txt that it
; writes only when DOS is told to flush (function 0Dh, on which SMARTDRV
; commits its held writes).
        cpu 8086
        org 100h
        jmp install

int21:  cmp ah, 0Dh
        jne .far
        cmp byte [cs:held], 0
        je .far
        mov byte [cs:held], 0
        push ax
        push bx
        push cx
        push dx
        push ds
        push cs
        pop ds
        mov ah, 3Ch
        xor cx, cx
        mov dx, name
        int 21h
        jc .done
        mov bx, ax
        mov ah, 40h
        mov cx, TEXT_LEN
        mov dx, text
        int 21h
        mov ah, 3Eh
        int 21h
.done:  pop ds
        pop dx
        pop cx
        pop bx
        pop ax
.far:   jmp far [cs:old21]

old21   dd 0
held    db 1
name    db 'c:\t\cached.txt', 0
text    db 'held by the cache until the flush', 13, 10
TEXT_LEN equ $ - text

install:
        mov ax, 3521h
        int 21h
        mov [old21], bx
        mov [old21 + 2], es
        mov dx, int21
        mov ax, 2521h
        int 21h
        mov dx, (install - $$ + 100h + 15) / 16
        mov ax, 3100h
        int 21h
