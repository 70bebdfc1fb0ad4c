/*
 * The run-time support of quillgate.exe, in place of the C runtime and the prebuilt C++ and
 * compiler libraries. Those are built for a Pentium Pro or later (cmov, fcomi) and import
 * MSVCRT.DLL, which Windows 95 does not ship; this file and RuntimeC.c are compiled like the
 * rest of the program, for a 386. The program is built without exceptions: what would have
 * thrown (out of memory, a string too long) tells the user and ends the program.
 */
#include "lockconfig/Messages.h"

#include <windows.h>

#include <cstddef>
#include <new>

namespace {

[[noreturn]] void Fail() {
    // A failure while telling of one (no memory left even for the message box) ends at once.
    static bool failing = false;
    if (!failing) {
        failing = true;
        ::MessageBoxA(nullptr, qg::Messages::UnexpectedFailure.text,
                      qg::Messages::UnexpectedFailure.title, MB_OK | MB_ICONERROR);
    }
    ::ExitProcess(1);
}

void* Allocate(std::size_t size) {
    // HeapAlloc may return null for a zero size; new must not.
    void* block = ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1);
    if (!block)
        Fail();
    return block;
}

void Release(void* block) {
    if (block)
        ::HeapFree(::GetProcessHeap(), 0, block);
}

// Functions registered with atexit (the destructors of function-local statics), run in
// reverse order before the process ends. Few are expected; more are refused.
using ExitFunction = void (*)();
ExitFunction exitFunctions[32];
int exitCount = 0;

void RunExitFunctions() {
    while (exitCount > 0)
        exitFunctions[--exitCount]();
}

// The constructors of objects at namespace scope. The linker lays out their addresses between
// a -1 and a 0 (__CTOR_LIST__); they run last to first, as GCC's own start-up runs them.
extern "C" ExitFunction __CTOR_LIST__[];

void RunConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (int i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
}

// What WinMain's command line is: the command line after the program's name.
LPSTR CommandTail() {
    LPSTR text = ::GetCommandLineA();
    bool quoted = false;
    for (; *text && (quoted || (*text != ' ' && *text != '\t')); ++text) {
        if (*text == '"')
            quoted = !quoted;
    }
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

// Where libstdc++'s headers, built without exceptions, send their errors.
namespace std {
void __throw_bad_alloc() { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_bad_function_call() { Fail(); }
} // namespace std

extern "C" {

void abort() { Fail(); }
void __cxa_pure_virtual() { Fail(); }

int atexit(ExitFunction function) {
    if (exitCount == static_cast<int>(sizeof exitFunctions / sizeof exitFunctions[0]))
        return -1;
    exitFunctions[exitCount++] = function;
    return 0;
}

// The entry point the linker looks for in a Windows program.
void WinMainCRTStartup() {
    RunConstructors();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    const int show =
        (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    const int status = WinMain(::GetModuleHandleA(nullptr), nullptr, CommandTail(), show);
    RunExitFunctions();
    ::ExitProcess(static_cast<UINT>(status));
}

} // extern "C"
