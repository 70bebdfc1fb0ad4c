; rb.com - restarts the computer.
;
; Contract with the configuration program: it copies rb.com into c:\Qg_Data
; beside qg.exe. qg.exe starts it as c:\qg_data\rb.com after the third wrong
; password. It takes no arguments, prints nothing and never returns.
;
; Build: nasm -f bin -I dos/ -o rb.com dos/rb.asm

        cpu 8086
        org 100h

%include "reboot.inc"
