; done.com (test helper): the last line of a test boot script. Writes DOS's
; buffers to disk, then ends QEMU through its ISA debug-exit port (QEMU exits
; with status 1), so the test can tell "the boot script ran to its end" from a
; restart, which ends QEMU with status 0.
        cpu 8086
        org 100h
        mov ah, 0Dh             ; flush every disk buffer
        int 21h
        xor al, al
        out 0F4h, al
        ; Not under QEMU: just end.
        mov ax, 4C00h
        int 21h
