/* DllExport: marks the effect's entry point as exported from the module. */
#ifndef _H_entry
#define _H_entry

#if defined(_WIN32) || defined(_WIN64)
    #define DllExport __declspec(dllexport)
#else
    #define DllExport __attribute__((visibility("default")))
#endif

#endif /* _H_entry */
