/* Scalar types of the plug-in suite architecture (PICA): SPErr, SPBoolean,
   the SPAPI calling-convention prefix and kSPNoError. */
#ifndef __SPTypes__
#define __SPTypes__

#include "SPConfig.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* Every supported compiler uses the platform's single convention. */
#ifndef SPAPI
    #define SPAPI
#endif

typedef int SPErr;

/* The Linux host follows the Windows layout, where a PICA boolean is an int. */
#ifdef MAC_ENV
typedef unsigned char SPBoolean;
#else
typedef int SPBoolean;
#endif

#define kSPNoError 0

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

#endif /* __SPTypes__ */
