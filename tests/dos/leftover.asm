; leftover.com (test helper): an earlier boot-script line that leaves two
; things for the restart after three wrong passwords, as real programs do:
; - it stays resident as a write-behind disk cache would, holding a line for
;   c:\t\cached.txt that it writes only when DOS is told to flush (function
;   0Dh, on which SMARTDRV commits its held writes);
; - it sets the CMOS shutdown byte to 0Ah, as a program that switched to
;   protected mode and back can leave it: a BIOS restarted so then resumes
;   at the address at 0040:0067 instead of starting up. It points that at a
;   stub in the intra-application area (0040:00F0) that ends QEMU through its
;   debug-exit port with exit status 5, so a test sees the resume.
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
        xor ax, ax
        mov es, ax
        mov di, 4F0h
        mov si, stub
        mov cx, STUB_LEN
        cld
        rep movsb
        cli
        mov word [es:467h], 4F0h
        mov word [es:469h], 0
        mov al, 0Fh
        out 70h, al
        mov al, 0Ah
        out 71h, al
        sti
        mov dx, (install - $$ + 100h + 15) / 16
        mov ax, 3100h
        int 21h

stub:   mov al, 2
        out 0F4h, al
        cli
        hlt
STUB_LEN equ $ - stub
