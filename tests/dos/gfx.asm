; gfx.com (test helper): leaves the screen in the 320x200 graphics mode 13h,
; as the Windows 95/98 start-up logo does while the boot script runs.
        cpu 8086
        org 100h
        mov ax, 0013h
        int 10h
        mov ax, 4C00h
        int 21h
