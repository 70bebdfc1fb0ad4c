; probe.com (test helper): writes the text screen (80x25, trailing blanks
; dropped), then the 4 bytes of the INT 1Bh vector and DOS's break-checking
; state (1 byte, 0 or 1) to standard output, so a test can read what the user
; saw and check that a program put both back. It first asks DOS whether a
; key waits (function 0Bh), which acts on a break left pending, whatever
; BREAK says, as the next program of a boot script would: "^C" and the
; command interpreter's question show on the screen.
        cpu 8086
        org 100h
        mov ah, 0Bh
        int 21h
        cld
        mov di, out
        push ds
        mov ax, 0B800h
        mov ds, ax
        xor si, si
        mov dx, 25
.row:   mov cx, 80
        mov bx, di              ; end of the row's last non-blank
.col:   lodsw
        stosb
        cmp al, ' '
        je .blank
        mov bx, di
.blank: loop .col
        mov di, bx
        mov ax, 0A0Dh
        stosw
        dec dx
        jnz .row
        pop ds
        push ds
        xor ax, ax
        mov ds, ax
        mov si, 1Bh * 4
        movsw
        movsw
        pop ds
        mov ax, 3300h
        int 21h
        mov al, dl
        stosb
        mov cx, di
        mov dx, out
        sub cx, dx
        mov bx, 1
        mov ah, 40h
        int 21h
        mov ax, 4C00h
        int 21h

        section .bss
out:    resb 25 * 82 + 5
