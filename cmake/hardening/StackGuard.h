/* The stack guard (StackGuard.c) and the value a loader recognises as not yet seeded: where
   the load configuration names the guard and it holds this, the loader seeds it. */
#include <stdint.h>

#if UINTPTR_MAX > 0xFFFFFFFFu
#define UNSEEDED ((uintptr_t)0x00002B992DDFA232ull)
#else
#define UNSEEDED ((uintptr_t)0xBB40E64Eu)
#endif

extern uintptr_t __stack_chk_guard;
