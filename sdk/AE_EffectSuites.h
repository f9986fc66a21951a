/* Effect suites beyond the callback suites: PF ColorParamSuite, which reads a
   colour parameter as floating point. */
#ifndef _H_AE_EffectSuites
#define _H_AE_EffectSuites

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* No space before "Suite" in this name. */
#define kPFColorParamSuite         "PF ColorParamSuite"
#define kPFColorParamSuiteVersion1 1

typedef struct PF_ColorParamSuite1 {
    /* The colour is in the working colour space and may leave 0..1. */
    PF_Err (*PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref,
                                                   const PF_ParamDef *color_defP,
                                                   PF_PixelFloat *fp_colorP);
} PF_ColorParamSuite1;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

A_CHECK_SIZE(PF_ColorParamSuite1, 8);

#endif /* _H_AE_EffectSuites */
