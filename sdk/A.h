/* Basic scalar types, small records and error codes shared by the effect
   and AEGP parts of the host's published interface (A_long, A_Time, A_Err_*...). */
#ifndef _H_A
#define _H_A

#include <stddef.h>
#include <stdint.h>

/* Layout checks run only where pointers are 64-bit: every offset the host
   relies on was measured for that model. */
#ifdef __cplusplus
    #define A_LAYOUT_CHECK_IMPL(COND, MSG) static_assert(COND, MSG)
#else
    #define A_LAYOUT_CHECK_IMPL(COND, MSG) _Static_assert(COND, MSG)
#endif
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
    #define A_LAYOUT_CHECK(COND, MSG) A_LAYOUT_CHECK_IMPL(COND, MSG)
#else
    #define A_LAYOUT_CHECK(COND, MSG) A_LAYOUT_CHECK_IMPL(1, MSG)
#endif
#define A_CHECK_SIZE(TYPE, BYTES) \
    A_LAYOUT_CHECK(sizeof(TYPE) == (BYTES), "size of " #TYPE)
#define A_CHECK_OFFSET(TYPE, MEMBER, BYTES) \
    A_LAYOUT_CHECK(offsetof(TYPE, MEMBER) == (BYTES), "offset of " #TYPE "::" #MEMBER)

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* Fixed widths everywhere: `long` is 64-bit on Linux but 32-bit on Win64. */
typedef int32_t         A_long;
typedef uint32_t        A_u_long;
typedef short           A_short;
typedef unsigned short  A_u_short;
typedef char            A_char;
typedef unsigned char   A_u_char;
typedef unsigned char   A_Boolean;
typedef double          A_FpLong;
typedef float           A_FpShort;
typedef A_long          A_Err;
typedef void           *A_Handle;
typedef A_long          A_Fixed;
typedef A_u_long        A_UFixed;
typedef int64_t         A_intptr_t;
typedef uint64_t        A_u_longlong;
typedef A_u_longlong    A_HandleSize;
typedef A_u_short       A_UTF16Char;

typedef struct {
    A_long   value;
    A_u_long scale;
} A_Time;

typedef struct {
    A_long   num;
    A_u_long den;
} A_Ratio;

typedef struct {
    A_FpLong x;
    A_FpLong y;
} A_FloatPoint;

typedef struct {
    A_FpLong mat[4][4];
} A_Matrix4;

typedef struct {
    A_long left;
    A_long top;
    A_long right;
    A_long bottom;
} A_LRect;

typedef struct {
    A_FpLong alpha;
    A_FpLong red;
    A_FpLong green;
    A_FpLong blue;
} A_Color;

typedef struct _Up_OpaqueMem **AEGP_MemHandle;

enum {
    A_Err_NONE = 0,
    A_Err_GENERIC,
    A_Err_STRUCT,
    A_Err_PARAMETER,
    A_Err_ALLOC,
    A_Err_MISSING_SUITE = 13
};

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
    /* Raises an A_Err as a C++ exception, for code that unwinds on errors. */
    #define A_THROW(ERR) throw((A_Err)(ERR))
#endif

A_CHECK_SIZE(A_long, 4);
A_CHECK_SIZE(A_u_long, 4);
A_CHECK_SIZE(A_short, 2);
A_CHECK_SIZE(A_Boolean, 1);
A_CHECK_SIZE(A_HandleSize, 8);
A_CHECK_SIZE(A_Handle, 8);
A_CHECK_SIZE(A_Time, 8);
A_CHECK_SIZE(A_Ratio, 8);
A_CHECK_SIZE(A_FloatPoint, 16);
A_CHECK_SIZE(A_Matrix4, 128);
A_CHECK_SIZE(A_LRect, 16);
A_CHECK_SIZE(A_Color, 32);

#endif /* _H_A */
