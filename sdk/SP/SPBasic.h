/* The basic PICA suite (SPBasicSuite): acquiring and releasing suites by
   name and version, plus block allocation. */
#ifndef __SPBasic__
#define __SPBasic__

#include "SPTypes.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

#define kSPBasicSuite        "SP Basic Suite"
#define kSPBasicSuiteVersion 4

/* A host that lacks a suite fills its slots with Undefined. */
typedef struct SPBasicSuite {
    SPErr (SPAPI *AcquireSuite)(const char *name, int version, const void **suite);
    SPErr (SPAPI *ReleaseSuite)(const char *name, int version);
    SPBoolean (SPAPI *IsEqual)(const char *token1, const char *token2);
    SPErr (SPAPI *AllocateBlock)(size_t size, void **block);
    SPErr (SPAPI *FreeBlock)(void *block);
    SPErr (SPAPI *ReallocateBlock)(void *block, size_t newSize, void **newblock);
    SPErr (SPAPI *Undefined)(void);
} SPBasicSuite;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
    #ifdef __cplusplus
static_assert(sizeof(SPBasicSuite) == 56, "size of SPBasicSuite");
    #else
_Static_assert(sizeof(SPBasicSuite) == 56, "size of SPBasicSuite");
    #endif
#endif

#endif /* __SPBasic__ */
