/* What code built with Control Flow Guard calls before an indirect call, where no C runtime
   provides it: a pointer to the check routine (x86, arm64: the target in ecx or x15) and, on
   x64, to the dispatch routine (the target in rax), which calls it. The defaults check
   nothing; a loader that enforces the guard replaces both pointers through the load
   configuration (LoadConfig.S). The pointers live in .00cfg, which is read-only once loaded. */

static void guard_check_nop(void)
{
}

__attribute__((section(".00cfg"), used)) void (*const __guard_check_icall_fptr)(void) = guard_check_nop;

#ifdef __x86_64__
void guard_dispatch_icall_nop(void);
__asm__(".text\n"
        ".p2align 4\n"
        "guard_dispatch_icall_nop:\n"
        "        jmp *%rax\n");

__attribute__((section(".00cfg"), used)) void (*const __guard_dispatch_icall_fptr)(void) = guard_dispatch_icall_nop;
#endif
