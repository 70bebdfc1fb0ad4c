/*
 * The C library functions that quillgate.exe uses, written out so that no C runtime DLL is
 * imported (see Runtime.cpp): the memory and string functions that std::string and the
 * compiler call, and the rounding the window placement needs. Compiled so that the compiler
 * does not turn these loops back into calls of themselves.
 */
#include <stddef.h>

void* memcpy(void* to, const void* from, size_t count) {
    unsigned char* t = to;
    const unsigned char* f = from;
    while (count--)
        *t++ = *f++;
    return to;
}

void* memmove(void* to, const void* from, size_t count) {
    unsigned char* t = to;
    const unsigned char* f = from;
    if (t < f) {
        while (count--)
            *t++ = *f++;
    } else {
        while (count--)
            t[count] = f[count];
    }
    return to;
}

void* memset(void* to, int value, size_t count) {
    unsigned char* t = to;
    while (count--)
        *t++ = (unsigned char)value;
    return to;
}

int memcmp(const void* a, const void* b, size_t count) {
    const unsigned char* x = a;
    const unsigned char* y = b;
    for (; count; --count, ++x, ++y) {
        if (*x != *y)
            return *x < *y ? -1 : 1;
    }
    return 0;
}

void* memchr(const void* from, int value, size_t count) {
    const unsigned char* f = from;
    for (; count; --count, ++f) {
        if (*f == (unsigned char)value)
            return (void*)f;
    }
    return NULL;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end)
        ++end;
    return (size_t)(end - text);
}

// Beyond 2^52 every double is a whole number (and NaN and infinity stay as they are).
static int IsWhole(double x) {
    return !(x < 4503599627370496.0 && x > -4503599627370496.0);
}

double ceil(double x) {
    if (IsWhole(x))
        return x;
    double whole = (double)(long long)x; // towards zero
    return whole < x ? whole + 1.0 : whole;
}

// Halves away from zero; outside long's range the result is unspecified, as in C.
long lround(double x) {
    long whole = (long)x; // towards zero
    double rest = x - (double)whole;
    if (rest >= 0.5)
        ++whole;
    else if (rest <= -0.5)
        --whole;
    return whole;
}

long lroundf(float x) {
    return lround(x);
}

// The stack probe that the compiler calls before a frame of more than a page (size in eax):
// Windows grows the stack only page by page, through the guard page below the last one used,
// so each page is touched in order from the top. Every register is kept.
#if defined(__i386__)
__asm__(".text\n"
        ".globl ___chkstk_ms\n"
        "___chkstk_ms:\n"
        "    pushl %ecx\n"
        "    pushl %eax\n"
        "    leal 12(%esp), %ecx\n" // the caller's stack pointer before the call
        "1:  cmpl $0x1000, %eax\n"
        "    jb 2f\n"
        "    subl $0x1000, %ecx\n"
        "    orl $0, (%ecx)\n"
        "    subl $0x1000, %eax\n"
        "    jmp 1b\n"
        "2:  subl %eax, %ecx\n"
        "    orl $0, (%ecx)\n"
        "    popl %eax\n"
        "    popl %ecx\n"
        "    ret\n");
#elif defined(__x86_64__)
__asm__(".text\n"
        ".globl ___chkstk_ms\n"
        "___chkstk_ms:\n"
        "    pushq %rcx\n"
        "    pushq %rax\n"
        "    leaq 24(%rsp), %rcx\n"
        "1:  cmpq $0x1000, %rax\n"
        "    jb 2f\n"
        "    subq $0x1000, %rcx\n"
        "    orq $0, (%rcx)\n"
        "    subq $0x1000, %rax\n"
        "    jmp 1b\n"
        "2:  subq %rax, %rcx\n"
        "    orq $0, (%rcx)\n"
        "    popq %rax\n"
        "    popq %rcx\n"
        "    ret\n");
#endif
