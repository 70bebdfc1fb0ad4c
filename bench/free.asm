; free.com (benchmark helper): writes the largest block of memory DOS could
; still give a program, in paragraphs, as a 2-byte number to standard output,
; so the benchmark can tell what a resident program costs.
        cpu 8086
        org 100h
        ; DOS gave us the largest block: keep 512 bytes of it first.
        mov sp, 200h
        mov bx, 20h
        mov ah, 4Ah
        int 21h
        mov ah, 48h
        mov bx, 0FFFFh          ; more than there is: DOS answers the most
        int 21h
        mov [largest], bx
        mov ah, 40h
        mov bx, 1
        mov cx, 2
        mov dx, largest
        int 21h
        mov ax, 4C00h
        int 21h
largest dw 0
