/*
 * A program with imports that must not pass the import check: a function Windows 95/98 lack
 * (GetTickCount64, Vista and later) and a DLL we do not use (ole32). It is never run.
 */
#define _WIN32_WINNT 0x0600
#include <objbase.h>
#include <windows.h>

int main(void) {
    CoInitialize(NULL);
    return (int)GetTickCount64();
}
