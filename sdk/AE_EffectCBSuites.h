/* Callback suites an effect acquires through SPBasicSuite: PF World,
   PF Iterate8 / iterate16 / iterateFloat, PF World Transform, PF Handle,
   PF ANSI and PF Fill Matte, with their names and versions. */
#ifndef _H_AE_EffectCBSuites
#define _H_AE_EffectCBSuites

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectPixelFormat.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* ---- PF World Suite ------------------------------------------------------- */

#define kPFWorldSuite         "PF World Suite"
#define kPFWorldSuiteVersion1 1
#define kPFWorldSuiteVersion2 2

typedef struct PF_WorldSuite1 {
    PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height,
                        PF_NewWorldFlags flags, PF_EffectWorld *world);
    PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
} PF_WorldSuite1;

typedef struct PF_WorldSuite2 {
    PF_Err (*PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL,
                          PF_Boolean clear_pixB, PF_PixelFormat pixel_format,
                          PF_EffectWorld *worldP);
    PF_Err (*PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld *worldP);
    /* Takes no effect_ref. */
    PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld *worldP, PF_PixelFormat *pixel_formatP);
} PF_WorldSuite2;

/* ---- PF Iterate8 Suite ---------------------------------------------------- */

#define kPFIterate8Suite         "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFIterate8SuiteVersion2 2

/* A NULL area covers every pixel where the worlds overlap; a NULL src
   iterates over dst alone; progress_final 0 disables progress. */
typedef struct PF_Iterate8Suite1 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_lut)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                          PF_EffectWorld *src, const PF_Rect *area, A_u_char *a_lut0,
                          A_u_char *r_lut0, A_u_char *g_lut0, A_u_char *b_lut0,
                          PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixel8Func pix_fn,
                                          PF_EffectWorld *dst);
    /* The worker never receives the ONCE_PER_PROCESSOR count as its count;
       it may call abort and progress only from thread index 0. */
    PF_Err (*iterate_generic)(A_long iterationsL, void *refconPV,
                              PF_Err (*fn_func)(void *refconPV, A_long thread_indexL, A_long i,
                                                A_long iterationsL));
} PF_Iterate8Suite1;

typedef struct PF_Iterate8Suite2 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_lut)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                          PF_EffectWorld *src, const PF_Rect *area, A_u_char *a_lut0,
                          A_u_char *r_lut0, A_u_char *g_lut0, A_u_char *b_lut0,
                          PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixel8Func pix_fn,
                                          PF_EffectWorld *dst);
    PF_Err (*iterate_generic)(A_long iterationsL, void *refconPV,
                              PF_Err (*fn_func)(void *refconPV, A_long thread_indexL, A_long i,
                                                A_long iterationsL));
} PF_Iterate8Suite2;

/* ---- PF iterate16 Suite (lower-case "i" in the name) ---------------------- */

#define kPFIterate16Suite         "PF iterate16 Suite"
#define kPFIterate16SuiteVersion1 1
#define kPFIterate16SuiteVersion2 2

typedef struct PF_iterate16Suite1 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixel16Func pix_fn,
                                          PF_EffectWorld *dst);
} PF_Iterate16Suite1;

typedef struct PF_iterate16Suite2 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixel16Func pix_fn,
                                          PF_EffectWorld *dst);
} PF_Iterate16Suite2;

/* ---- PF iterateFloat Suite -------------------------------------------------- */

#define kPFIterateFloatSuite         "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1
#define kPFIterateFloatSuiteVersion2 2

typedef struct PF_iterateFloatSuite1 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixelFloatFunc pix_fn,
                                          PF_EffectWorld *dst);
} PF_IterateFloatSuite1;

typedef struct PF_iterateFloatSuite2 {
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixelFloatFunc pix_fn,
                                          PF_EffectWorld *dst);
} PF_IterateFloatSuite2;

/* ---- PF World Transform Suite ---------------------------------------------- */

#define kPFWorldTransformSuite         "PF World Transform Suite"
#define kPFWorldTransformSuiteVersion1 1

typedef struct PF_WorldTransformSuite1 {
    PF_Err (*composite_rect)(PF_ProgPtr effect_ref, PF_Rect *src_rect, A_long src_opacity,
                             PF_EffectWorld *source_wld, A_long dest_x, A_long dest_y,
                             PF_Field field_rdr, PF_XferMode xfer_mode, PF_EffectWorld *dest_wld);
    PF_Err (*blend)(PF_ProgPtr effect_ref, const PF_EffectWorld *src1, const PF_EffectWorld *src2,
                    PF_Fixed ratio, PF_EffectWorld *dst);
    /* A NULL area convolves the whole world. */
    PF_Err (*convolve)(PF_ProgPtr effect_ref, PF_EffectWorld *src, const PF_Rect *area,
                       PF_KernelFlags flags, A_long kernel_size, void *a_kernel, void *r_kernel,
                       void *g_kernel, void *b_kernel, PF_EffectWorld *dst);
    PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst,
                   PF_Rect *src_r, PF_Rect *dst_r);
    PF_Err (*copy_hq)(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst,
                      PF_Rect *src_r, PF_Rect *dst_r);
    PF_Err (*transfer_rect)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                            PF_Field field, const PF_Rect *src_rec,
                            const PF_EffectWorld *src_world, const PF_CompositeMode *comp_mode,
                            const PF_MaskWorld *mask_world0, A_long dest_x, A_long dest_y,
                            PF_EffectWorld *dst_world);
    PF_Err (*transform_world)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                              PF_Field field, const PF_EffectWorld *src_world,
                              const PF_CompositeMode *comp_mode, const PF_MaskWorld *mask_world0,
                              const PF_FloatMatrix *matrices, A_long num_matrices,
                              PF_Boolean src2dst_matrix, const PF_Rect *dest_rect,
                              PF_EffectWorld *dst_world);
} PF_WorldTransformSuite1;

/* ---- PF Handle Suite ------------------------------------------------------- */

#define kPFHandleSuite "PF Handle Suite"
/* The struct keeps its "1" while the version number was raised to 2 for
   64-bit handle sizes. */
#define kPFHandleSuiteVersion1 2

typedef struct PF_HandleSuite1 {
    PF_Handle (*host_new_handle)(A_HandleSize size);
    void *(*host_lock_handle)(PF_Handle pf_handle);
    void (*host_unlock_handle)(PF_Handle pf_handle);
    void (*host_dispose_handle)(PF_Handle pf_handle);
    A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
    PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle *handlePH);
} PF_HandleSuite1;

/* ---- PF ANSI Suite --------------------------------------------------------- */

#define kPFANSISuite         "PF ANSI Suite"
#define kPFANSISuiteVersion1 1

typedef struct PF_ANSICallbacksSuite1 {
    A_FpLong (*atan)(A_FpLong);
    A_FpLong (*atan2)(A_FpLong y, A_FpLong x);
    A_FpLong (*ceil)(A_FpLong);
    A_FpLong (*cos)(A_FpLong);
    A_FpLong (*exp)(A_FpLong);
    A_FpLong (*fabs)(A_FpLong);
    A_FpLong (*floor)(A_FpLong);
    A_FpLong (*fmod)(A_FpLong x, A_FpLong y);
    A_FpLong (*hypot)(A_FpLong x, A_FpLong y);
    A_FpLong (*log)(A_FpLong);
    A_FpLong (*log10)(A_FpLong);
    A_FpLong (*pow)(A_FpLong x, A_FpLong y);
    A_FpLong (*sin)(A_FpLong);
    A_FpLong (*sqrt)(A_FpLong);
    A_FpLong (*tan)(A_FpLong);
    int      (*sprintf)(A_char *, const A_char *, ...);
    A_char  *(*strcpy)(A_char *, const A_char *);
    A_FpLong (*asin)(A_FpLong);
    A_FpLong (*acos)(A_FpLong);
} PF_ANSICallbacksSuite1;

/* ---- PF Fill Matte Suite --------------------------------------------------- */

#define kPFFillMatteSuite         "PF Fill Matte Suite"
#define kPFFillMatteSuiteVersion2 2

typedef struct PF_FillMatteSuite2 {
    PF_Err (*fill)(PF_ProgPtr effect_ref, const PF_Pixel *color, const PF_Rect *dst_rect,
                   PF_EffectWorld *world);
    PF_Err (*fill16)(PF_ProgPtr effect_ref, const PF_Pixel16 *color, const PF_Rect *dst_rect,
                     PF_EffectWorld *world);
    PF_Err (*fill_float)(PF_ProgPtr effect_ref, const PF_PixelFloat *color,
                         const PF_Rect *dst_rect, PF_EffectWorld *world);
    PF_Err (*premultiply)(PF_ProgPtr effect_ref, A_long forward, PF_EffectWorld *dst);
    PF_Err (*premultiply_color)(PF_ProgPtr effect_ref, PF_EffectWorld *src, const PF_Pixel *color,
                                A_long forward, PF_EffectWorld *dst);
    PF_Err (*premultiply_color16)(PF_ProgPtr effect_ref, PF_EffectWorld *src,
                                  const PF_Pixel16 *color, A_long forward, PF_EffectWorld *dst);
    PF_Err (*premultiply_color_float)(PF_ProgPtr effect_ref, PF_EffectWorld *src,
                                      const PF_PixelFloat *color, A_long forward,
                                      PF_EffectWorld *dst);
} PF_FillMatteSuite2;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

A_CHECK_SIZE(PF_WorldSuite1, 16);
A_CHECK_SIZE(PF_WorldSuite2, 24);
A_CHECK_SIZE(PF_Iterate8Suite1, 40);
A_CHECK_OFFSET(PF_Iterate8Suite1, iterate_generic, 32);
A_CHECK_SIZE(PF_Iterate8Suite2, 40);
A_CHECK_SIZE(PF_Iterate16Suite1, 24);
A_CHECK_SIZE(PF_Iterate16Suite2, 24);
A_CHECK_SIZE(PF_IterateFloatSuite1, 24);
A_CHECK_SIZE(PF_IterateFloatSuite2, 24);
A_CHECK_SIZE(PF_WorldTransformSuite1, 56);
A_CHECK_OFFSET(PF_WorldTransformSuite1, convolve, 16);
A_CHECK_SIZE(PF_HandleSuite1, 48);
A_CHECK_SIZE(PF_ANSICallbacksSuite1, 152);
A_CHECK_OFFSET(PF_ANSICallbacksSuite1, sin, 96);
A_CHECK_OFFSET(PF_ANSICallbacksSuite1, sprintf, 120);
A_CHECK_SIZE(PF_FillMatteSuite2, 56);

#endif /* _H_AE_EffectCBSuites */
