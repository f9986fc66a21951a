/* DllExport: marks the effect's entry point as exported from the module. As in the vendor's
   SDK it is keyed on the platform macros of AEConfig.h, which must be included first. */
#ifndef _H_entry
#define _H_entry

#if defined(AE_OS_WIN)
    #define DllExport __declspec(dllexport)
#elif defined(AE_OS_MAC)
    #define DllExport __attribute__((visibility("default")))
#elif defined(AE_OS_LINUX)
    /* Not a vendor platform: the headless host's modules export as macOS ones do. */
    #define DllExport __attribute__((visibility("default")))
#endif

#endif /* _H_entry */
