/* Stack protection where no C runtime provides it: the guard value that protected functions
   keep below their locals, and the routine they call when it changed. DllEntry.c seeds it. */
#include "StackGuard.h"

uintptr_t __stack_chk_guard = UNSEEDED;

/* Ends the process at once, with no handler run on the damaged stack (the fail-fast
   interrupt, code FAST_FAIL_STACK_COOKIE_CHECK_FAILURE). */
__attribute__((noreturn)) void __stack_chk_fail(void)
{
#if defined(__aarch64__)
    __asm__ volatile("mov x0, #2\n\tbrk #0xf003" ::: "x0");
#else
    __asm__ volatile("int $0x29" ::"c"(2));
#endif
    __builtin_unreachable();
}
