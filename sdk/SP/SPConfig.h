/* Platform selection for the plug-in suite architecture (PICA) part of the
   host's published interface: WIN_ENV / MAC_ENV. */
#ifndef __SPConfig__
#define __SPConfig__

#if defined(_WIN32) || defined(_WIN64) || defined(_WINDOWS)
    #ifndef WIN_ENV
        #define WIN_ENV 1
    #endif
#elif defined(__APPLE__)
    #ifndef MAC_ENV
        #define MAC_ENV 1
    #endif
#endif

#endif /* __SPConfig__ */
