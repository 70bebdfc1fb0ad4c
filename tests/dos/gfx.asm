; gfx.com (test helper): leaves the screen in the 320x200 graphics mode 13h,
; as the Windows 95/98 start-up logo does while the boot script runs, or in
; the mode given as two hex digits 0-9 in its command line ("gfx.com 83": text
; mode 3 set with bit 7, which keeps the screen, as some programs do). Then
; blanks the screen through the BIOS (no mode set) and writes a line through
; DOS at its top, so a test can see whether the screen was kept.
        cpu 8086
        org 100h
        mov al, 13h
        cmp byte [80h], 3       ; " 83"
        jb .set
        mov ax, [82h]
        sub ax, '00'
        mov cl, 4
        shl al, cl
        or al, ah
.set:   xor ah, ah
        int 10h
        mov ax, 0600h           ; scroll the whole screen blank
        mov bh, 07h
        xor cx, cx
        mov dx, 184Fh
        int 10h
        mov ah, 02h             ; cursor to the top left
        xor bh, bh
        xor dx, dx
        int 10h
        mov dx, line
        mov ah, 9
        int 21h
        mov ax, 4C00h
        int 21h
line    db 'gfx.com: mode set', 13, 10, '$'
