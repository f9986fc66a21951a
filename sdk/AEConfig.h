/* Platform and processor selection for the host's published effect interface:
   AE_OS_WIN / AE_OS_MAC / AE_OS_LINUX and AE_PROC_INTELx64 / AE_PROC_ARM64. */
#ifndef _H_AEConfig
#define _H_AEConfig

#if defined(_WIN32) || defined(_WIN64) || defined(_WINDOWS)
    #ifndef AE_OS_WIN
        #define AE_OS_WIN
    #endif
#elif defined(__APPLE__)
    #ifndef AE_OS_MAC
        #define AE_OS_MAC
    #endif
#elif defined(__linux__)
    /* Not a vendor platform; the Linux host lays records out as on Win64. */
    #ifndef AE_OS_LINUX
        #define AE_OS_LINUX
    #endif
#endif

#if defined(__x86_64__) || defined(_M_X64) || defined(_M_AMD64)
    #ifndef AE_PROC_INTELx64
        #define AE_PROC_INTELx64
    #endif
#elif defined(__aarch64__) || defined(_M_ARM64)
    #ifndef AE_PROC_ARM64
        #define AE_PROC_ARM64
    #endif
#endif

#endif /* _H_AEConfig */
