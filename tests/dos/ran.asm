; ran.com (test helper): stands in for an rb.com that comes back, or for a
; program run after the prompt. Leaves c:\ran.txt to show it was started,
; holding all conventional memory (the program that started it included, and
; what earlier ones left), so a test can look there for what a warm restart or
; the next program would find. Writes DOS's buffers to disk (the restart that
; follows would lose them), then returns.
        cpu 8086
        org 100h
        mov ah, 3Ch
        xor cx, cx
        mov dx, name
        int 21h
        jc .done
        mov bx, ax
        xor si, si              ; segment of the next 32 KB
.dump:  mov ax, [2]             ; the end of conventional memory
        sub ax, si
        jbe .close
        mov cx, 8000h
        cmp ax, 800h
        jae .write
        mov cl, 4               ; less than 32 KB left: AX paragraphs
        shl ax, cl
        mov cx, ax
.write: push ds
        mov ds, si
        xor dx, dx
        mov ah, 40h
        int 21h
        pop ds
        jc .close
        add si, 800h
        jmp .dump
.close: mov ah, 3Eh
        int 21h
.done:  mov ah, 0Dh
        int 21h
        mov ax, 4C00h
        int 21h
name    db 'c:\ran.txt', 0
