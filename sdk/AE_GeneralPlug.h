/* AEGP interface used by effects: handle types, plug-in ids, world types,
   dynamic-stream flags, suite names and versions, AEGP World Suite 3 and
   AEGP PF Interface Suite 1. Older suite versions follow in AE_GeneralPlugOld.h. */
#ifndef _H_AE_GeneralPlug
#define _H_AE_GeneralPlug

#include "A.h"
#include "AE_Effect.h"
#include "SPBasic.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* ---- Ids and handles -------------------------------------------------------- */

typedef A_long AEGP_PluginID;
typedef struct _AEGP_GlobalRefcon *AEGP_GlobalRefcon;

typedef struct _AEGP_World         **AEGP_WorldH;
typedef struct _AEGP_PlatformWorld **AEGP_PlatformWorldH;
typedef struct _AEGP_Effect        **AEGP_EffectRefH;
typedef struct _AEGPp_Stream       **AEGP_StreamRefH;
typedef struct _AEGP_Layer         **AEGP_LayerH;
typedef struct _AEGP_Mask          **AEGP_MaskRefH;

typedef A_long  AEGP_EffectIndex;
typedef A_long  AEGP_InstalledEffectKey;
typedef A_long  AEGP_EffectFlags;
typedef A_long  AEGP_LayerStream;
typedef A_long  AEGP_MaskStream;
typedef A_long  AEGP_StreamFlags;
typedef A_long  AEGP_StreamType;
typedef A_long  AEGP_KeyInterpolationMask;
typedef A_long  AEGP_StreamGroupingType;
typedef A_short AEGP_LTimeMode;

typedef struct {
    A_FpLong alphaF;
    A_FpLong redF;
    A_FpLong greenF;
    A_FpLong blueF;
} AEGP_ColorVal;

/* Slot type for suite members an effect never calls: only their place in the
   record matters to the host. */
typedef A_Err (SPAPI *AEGP_UnusedSuiteFunc)(void);

/* ---- World types ------------------------------------------------------------ */

typedef A_long AEGP_WorldType;

enum {
    AEGP_WorldType_NONE = 0,
    AEGP_WorldType_8,
    AEGP_WorldType_16,
    AEGP_WorldType_32
};

/* ---- Dynamic-stream flags ----------------------------------------------------- */

typedef A_u_long AEGP_DynStreamFlags;

enum {
    AEGP_DynStreamFlag_ACTIVE_EYEBALL            = 0x1,
    AEGP_DynStreamFlag_HIDDEN                    = 0x2,
    AEGP_DynStreamFlag_DISABLED                  = 0x10,
    AEGP_DynStreamFlag_ELIDED                    = 0x20,
    AEGP_DynStreamFlag_SHOWN_WHEN_EMPTY          = 0x400,
    AEGP_DynStreamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 0x10000
};

/* ---- Suite names and versions ------------------------------------------------ */

#define kAEGPWorldSuite         "AEGP World Suite"
#define kAEGPWorldSuiteVersion1 1
#define kAEGPWorldSuiteVersion2 2
#define kAEGPWorldSuiteVersion3 3

#define kAEGPUtilitySuite         "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion1 3
#define kAEGPUtilitySuiteVersion2 5
#define kAEGPUtilitySuiteVersion3 7
#define kAEGPUtilitySuiteVersion4 10
#define kAEGPUtilitySuiteVersion5 11
#define kAEGPUtilitySuiteVersion6 13

#define kAEGPPFInterfaceSuite         "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

#define kAEGPStreamSuite         "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion1 4
#define kAEGPStreamSuiteVersion2 7
#define kAEGPStreamSuiteVersion3 8
#define kAEGPStreamSuiteVersion4 9
#define kAEGPStreamSuiteVersion5 10
#define kAEGPStreamSuiteVersion6 11

#define kAEGPDynamicStreamSuite         "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion1 1
#define kAEGPDynamicStreamSuiteVersion2 2
#define kAEGPDynamicStreamSuiteVersion3 3
#define kAEGPDynamicStreamSuiteVersion4 5

#define kAEGPEffectSuite         "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion1 1
#define kAEGPEffectSuiteVersion2 2
#define kAEGPEffectSuiteVersion3 3
#define kAEGPEffectSuiteVersion4 4

/* ---- AEGP World Suite 3 -------------------------------------------------------- */

typedef struct {
    A_Err (SPAPI *AEGP_New)(AEGP_PluginID plugin_id, AEGP_WorldType type, A_long widthL,
                            A_long heightL, AEGP_WorldH *worldPH);
    A_Err (SPAPI *AEGP_Dispose)(AEGP_WorldH worldH);
    A_Err (SPAPI *AEGP_GetType)(AEGP_WorldH worldH, AEGP_WorldType *typeP);
    A_Err (SPAPI *AEGP_GetSize)(AEGP_WorldH worldH, A_long *widthPL, A_long *heightPL);
    A_Err (SPAPI *AEGP_GetRowBytes)(AEGP_WorldH worldH, A_u_long *row_bytesPL);
    A_Err (SPAPI *AEGP_GetBaseAddr8)(AEGP_WorldH worldH, PF_Pixel8 **base_addrP);
    A_Err (SPAPI *AEGP_GetBaseAddr16)(AEGP_WorldH worldH, PF_Pixel16 **base_addrP);
    A_Err (SPAPI *AEGP_GetBaseAddr32)(AEGP_WorldH worldH, PF_PixelFloat **base_addrP);
    /* PF routines used on the filled world take a NULL effect ref. */
    A_Err (SPAPI *AEGP_FillOutPFEffectWorld)(AEGP_WorldH worldH, PF_EffectWorld *pf_worldP);
    /* Only for worlds the caller allocated. */
    A_Err (SPAPI *AEGP_FastBlur)(A_FpLong radiusF, PF_ModeFlags mode, PF_Quality quality,
                                 AEGP_WorldH worldH);
    A_Err (SPAPI *AEGP_NewPlatformWorld)(AEGP_PluginID plugin_id, AEGP_WorldType type,
                                         A_long widthL, A_long heightL,
                                         AEGP_PlatformWorldH *worldPH);
    A_Err (SPAPI *AEGP_DisposePlatformWorld)(AEGP_PlatformWorldH worldH);
    A_Err (SPAPI *AEGP_NewReferenceFromPlatformWorld)(AEGP_PluginID plugin_id,
                                                      AEGP_PlatformWorldH plat_worldH,
                                                      AEGP_WorldH *worldPH);
} AEGP_WorldSuite3;

/* ---- AEGP PF Interface Suite 1 ------------------------------------------------- */

typedef struct AEGP_PFInterfaceSuite1 {
    A_Err (SPAPI *AEGP_GetEffectLayer)(PF_ProgPtr effect_pp_ref, AEGP_LayerH *layerPH);
    A_Err (SPAPI *AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id,
                                              PF_ProgPtr effect_pp_ref,
                                              AEGP_EffectRefH *effect_refPH);
    A_Err (SPAPI *AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_pp_ref, A_long what_timeL,
                                                A_u_long time_scaleLu, A_Time *comp_timePT);
    A_Err (SPAPI *AEGP_GetEffectCamera)(PF_ProgPtr effect_pp_ref, const A_Time *comp_timePT,
                                        AEGP_LayerH *camera_layerPH);
    A_Err (SPAPI *AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_pp_ref, const A_Time *comp_timePT,
                                              A_Matrix4 *camera_matrixP,
                                              A_FpLong *dist_to_image_planePF,
                                              A_short *image_plane_widthPL,
                                              A_short *image_plane_heightPL);
} AEGP_PFInterfaceSuite1;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

A_CHECK_SIZE(AEGP_ColorVal, 32);
A_CHECK_SIZE(AEGP_WorldSuite3, 104);
A_CHECK_OFFSET(AEGP_WorldSuite3, AEGP_GetBaseAddr32, 56);
A_CHECK_OFFSET(AEGP_WorldSuite3, AEGP_FillOutPFEffectWorld, 64);
A_CHECK_OFFSET(AEGP_WorldSuite3, AEGP_FastBlur, 72);
A_CHECK_SIZE(AEGP_PFInterfaceSuite1, 40);
A_CHECK_OFFSET(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, 8);

#include "AE_GeneralPlugOld.h"

#endif /* _H_AE_GeneralPlug */
