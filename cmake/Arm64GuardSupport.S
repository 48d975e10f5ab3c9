// Control-flow guard support for ARM64 binaries, which mingw-w64 10's runtime lacks: the
// pointer that every guarded indirect call goes through, and the load configuration that
// tells the system where it is and where the linker put the table of valid call targets.
// Windows replaces the pointer's target with its own check when it loads a guarded image;
// until then (and under a loader that does not guard) it points to a check that passes.
// The layout is the 64-bit load configuration directory's, up to the long-jump targets.
    .text
    .p2align 2
verimark_guard_check_passes:
    ret

    .section .00cfg,"dr"
    .p2align 3
    .globl __guard_check_icall_fptr
__guard_check_icall_fptr:
    .xword verimark_guard_check_passes
    .globl __guard_dispatch_icall_fptr
__guard_dispatch_icall_fptr:
    .xword verimark_guard_check_passes

    .section .rdata,"dr"
    .p2align 3
    .globl _load_config_used
_load_config_used:
    .word 192                 // Size: the fields up to GuardLongJumpTargetCount
    .word 0                   // TimeDateStamp
    .hword 0, 0               // MajorVersion, MinorVersion
    .word 0, 0, 0             // GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout
    .xword 0, 0, 0, 0, 0, 0   // DeCommitFreeBlockThreshold to ProcessAffinityMask
    .word 0                   // ProcessHeapFlags
    .hword 0, 0               // CSDVersion, DependentLoadFlags
    .xword 0, 0, 0, 0         // EditList, SecurityCookie, SEHandlerTable, SEHandlerCount
    .xword __guard_check_icall_fptr
    .xword __guard_dispatch_icall_fptr
    .xword __guard_fids_table
    .xword __guard_fids_count
    .word __guard_flags
    .hword 0, 0               // CodeIntegrity: Flags, Catalog
    .word 0, 0                // CodeIntegrity: CatalogOffset, Reserved
    .xword __guard_iat_table
    .xword __guard_iat_count
    .xword __guard_longjmp_table
    .xword __guard_longjmp_count
