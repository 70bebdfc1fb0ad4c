/*
 * A program that must not pass the checks of what ships. It imports a function Windows 95/98
 * lack (GetTickCount64, Vista and later) and a DLL quillgate.exe does not use (ole32), and holds
 * an instruction of the Pentium Pro (cmov). It is never run.
 */
#define _WIN32_WINNT 0x0600
#include <objbase.h>
#include <windows.h>

int main(void) {
    CoInitialize(NULL);
    int ticks = (int)GetTickCount64();
    const int floor = 1;
    __asm__("cmpl %1, %0\n\tcmovl %1, %0" : "+r"(ticks) : "r"(floor));
    return ticks;
}
