/* Pixel formats of effect worlds (PF_PixelFormat_*), each a four-character
   code with the first character in the lowest byte. */
#ifndef _H_AE_EffectPixelFormat
#define _H_AE_EffectPixelFormat

#include "A.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

#define MAKE_PIXEL_FORMAT_FOURCC(CH0, CH1, CH2, CH3)      \
    ((A_u_long)(A_u_char)(CH0) |                          \
     ((A_u_long)(A_u_char)(CH1) << 8) |                   \
     ((A_u_long)(A_u_char)(CH2) << 16) |                  \
     ((A_u_long)(A_u_char)(CH3) << 24))

enum {
    PF_PixelFormat_ARGB32   = MAKE_PIXEL_FORMAT_FOURCC('a', 'r', 'g', 'b'),
    PF_PixelFormat_ARGB64   = MAKE_PIXEL_FORMAT_FOURCC('a', 'e', '1', '6'),
    PF_PixelFormat_ARGB128  = MAKE_PIXEL_FORMAT_FOURCC('a', 'e', '3', '2'),
    PF_PixelFormat_BGRA32   = MAKE_PIXEL_FORMAT_FOURCC('b', 'g', 'r', 'a'),
    PF_PixelFormat_VUYA32   = MAKE_PIXEL_FORMAT_FOURCC('v', 'u', 'y', 'a'),
    PF_PixelFormat_NTSCDV25 = MAKE_PIXEL_FORMAT_FOURCC('d', 'v', 'n', '2'),
    PF_PixelFormat_PALDV25  = MAKE_PIXEL_FORMAT_FOURCC('d', 'v', 'p', '2'),
    PF_PixelFormat_INVALID  = MAKE_PIXEL_FORMAT_FOURCC('b', 'a', 'd', 'f'),
    /* Keeps the enumeration 32 bits wide. */
    PF_PixelFormat_FORCE_LONG_INT = 0xFFFFFFFF
};

typedef A_long PF_PixelFormat;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

A_LAYOUT_CHECK(PF_PixelFormat_ARGB32 == 0x62677261u, "argb");
A_LAYOUT_CHECK(PF_PixelFormat_ARGB64 == 0x36316561u, "ae16");
A_LAYOUT_CHECK(PF_PixelFormat_ARGB128 == 0x32336561u, "ae32");
A_LAYOUT_CHECK(PF_PixelFormat_INVALID == 0x66646162u, "badf");

#endif /* _H_AE_EffectPixelFormat */
