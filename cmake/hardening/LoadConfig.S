/* The image's load-configuration directory (the linker points the data directory at
   _load_config_used): the stack guard's address, for the loader to seed, and Control Flow
   Guard's check and dispatch pointers with the tables the linker makes (-guard:cf). The
   layout is the PE format's, in the image's pointer size. */
#define GLUE2(prefix, name) prefix ## name
#define GLUE(prefix, name) GLUE2(prefix, name)
#define C(name) GLUE(__USER_LABEL_PREFIX__, name)
#if defined(__x86_64__) || defined(__aarch64__)
#define PTR .quad
#define ALIGN 3
#else
#define PTR .long
#define ALIGN 2
#endif

        .section .rdata,"dr"
        .globl C(_load_config_used)
        .p2align ALIGN
C(_load_config_used):
        .long 2f - C(_load_config_used)  /* Size */
        .long 0                          /* TimeDateStamp */
        .short 0, 0                      /* MajorVersion, MinorVersion */
        .long 0, 0, 0                    /* GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout */
        PTR 0, 0, 0, 0, 0, 0             /* DeCommit thresholds, LockPrefixTable, MaximumAllocationSize, VirtualMemoryThreshold, ProcessAffinityMask */
        .long 0                          /* ProcessHeapFlags */
        .short 0, 0                      /* CSDVersion, DependentLoadFlags */
        PTR 0                            /* EditList */
        PTR C(__stack_chk_guard)         /* SecurityCookie */
#ifdef __i386__
        PTR C(__safe_se_handler_table), C(__safe_se_handler_count)
#else
        PTR 0, 0                         /* SEHandlerTable, SEHandlerCount: x86 only */
#endif
        PTR C(__guard_check_icall_fptr)  /* GuardCFCheckFunctionPointer */
#ifdef __x86_64__
        PTR C(__guard_dispatch_icall_fptr)
#else
        PTR 0                            /* GuardCFDispatchFunctionPointer: x64 only */
#endif
        PTR C(__guard_fids_table), C(__guard_fids_count)
        .long C(__guard_flags)
        .short 0, 0                      /* CodeIntegrity: Flags, Catalog */
        .long 0, 0                       /* CodeIntegrity: CatalogOffset, Reserved */
        PTR C(__guard_iat_table), C(__guard_iat_count)
        PTR C(__guard_longjmp_table), C(__guard_longjmp_count)
2:
