; ahead.com (test helper): starts c:\Qg_Data\qg.exe with breaks waiting, as
; when Ctrl+C and Ctrl+Break are pressed while DOS loads it. With anything on
; its command line it first calls the INT 1Bh handler that DOS installed, as
; the BIOS does at a Ctrl+Break while DOS loads ahead.com itself (MS-DOS's
; console driver keeps it as a Ctrl+C of its own). At the child's first DOS
; call it sets the BIOS
; Ctrl+Break flag (bit 7 of 0040:0071) and puts a Ctrl+C in the BIOS keyboard
; buffer; DOS's own break handling does the rest. Exit code: the child's, or
; 2 when a break ended the child.
        cpu 8086
        org 100h
        cmp byte [80h], 0
        je .loaded
        int 1Bh
.loaded:
        mov sp, stack_top
        mov bx, (stack_top - $$ + 100h + 15) / 16
        mov ah, 4Ah
        int 21h
        mov ax, 3521h
        int 21h
        mov [old21], bx
        mov [old21 + 2], es
        mov dx, int21
        mov ax, 2521h
        int 21h
        mov [tail + 2], cs
        mov [fcb1 + 2], cs
        mov [fcb2 + 2], cs
        push cs
        pop es
        mov bx, block
        mov dx, child
        mov byte [cs:armed], 1
        mov ax, 4B00h
        int 21h
        mov ax, cs
        cli
        mov ss, ax
        mov sp, stack_top
        sti
        mov ds, ax
        push ds
        lds dx, [old21]
        mov ax, 2521h
        int 21h
        pop ds
        mov ah, 4Dh
        int 21h
        or ah, ah
        jz .exit
        mov al, 2
.exit:  mov ah, 4Ch
        int 21h

; Our own EXEC arms the hook; the next call, the child's first, raises the
; break.
int21:  cmp byte [cs:armed], 2
        jne .chain
        mov byte [cs:armed], 0
        push ax
        push cx
        push ds
        xor ax, ax
        mov ds, ax
        or byte [471h], 80h
        mov ah, 05h
        mov cx, 2E03h
        int 16h
        pop ds
        pop cx
        pop ax
.chain: cmp byte [cs:armed], 1
        jne .far
        cmp ah, 4Bh
        jne .far
        mov byte [cs:armed], 2
.far:   jmp far [cs:old21]

old21   dd 0
armed   db 0
block   dw 0
tail    dw empty, 0
fcb1    dw 5Ch, 0
fcb2    dw 6Ch, 0
empty   db 0, 0Dh
child   db 'c:\Qg_Data\qg.exe', 0
        align 2
        times 256 db 0
stack_top:
