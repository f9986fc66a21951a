/* Host utility callbacks reached through PF_InData::utils: transfer modes,
   composite and mask records, kernel and new-world flags, the ANSI and colour
   blocks, pixel-function types, PF_UtilCallbacks and its convenience macros. */
#ifndef _H_AE_EffectCB
#define _H_AE_EffectCB

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* ---- Constants -------------------------------------------------------------- */

#define PF_PI              3.14159265358979323846
#define PF_2PI             6.28318530717958647692
#define PF_HALF_PI         1.57079632679489661923
#define PF_RAD_PER_DEGREE  0.01745329251994329576

/* iterate_generic count meaning "one call per processor". */
#define PF_Iterations_ONCE_PER_PROCESSOR   (-1)
#define PF_Iteratations_ONCE_PER_PROCESSOR PF_Iterations_ONCE_PER_PROCESSOR

#define PF_MAX_THREADS 32

/* ---- Transfer modes ------------------------------------------------------- */

typedef A_long PF_TransferMode;
typedef PF_TransferMode PF_XferMode;

enum {
    PF_Xfer_NONE = -1,
    PF_Xfer_COPY = 0,
    PF_Xfer_BEHIND,
    PF_Xfer_IN_FRONT,
    PF_Xfer_DISSOLVE,
    PF_Xfer_ADD,
    PF_Xfer_MULTIPLY,
    PF_Xfer_SCREEN,
    PF_Xfer_OVERLAY,
    PF_Xfer_SOFT_LIGHT,
    PF_Xfer_HARD_LIGHT,
    PF_Xfer_DARKEN,
    PF_Xfer_LIGHTEN,
    PF_Xfer_DIFFERENCE,
    PF_Xfer_HUE,
    PF_Xfer_SATURATION,
    PF_Xfer_COLOR,
    PF_Xfer_LUMINOSITY,
    PF_Xfer_MULTIPLY_ALPHA,
    PF_Xfer_MULTIPLY_ALPHA_LUMA,
    PF_Xfer_MULTIPLY_NOT_ALPHA,
    PF_Xfer_MULTIPLY_NOT_ALPHA_LUMA,
    PF_Xfer_ADDITIVE_PREMUL,
    PF_Xfer_ALPHA_ADD,
    PF_Xfer_COLOR_DODGE,
    PF_Xfer_COLOR_BURN,
    PF_Xfer_EXCLUSION,
    PF_Xfer_DIFFERENCE2,
    PF_Xfer_COLOR_DODGE2,
    PF_Xfer_COLOR_BURN2,
    PF_Xfer_LINEAR_DODGE,
    PF_Xfer_LINEAR_BURN,
    PF_Xfer_LINEAR_LIGHT,
    PF_Xfer_VIVID_LIGHT,
    PF_Xfer_PIN_LIGHT,
    PF_Xfer_HARD_MIX,
    PF_Xfer_LIGHTER_COLOR,
    PF_Xfer_DARKER_COLOR,
    PF_Xfer_SUBTRACT,
    PF_Xfer_DIVIDE,
    PF_Xfer_RESERVED0,      /* private to the host */
    PF_Xfer_RESERVED1,
    PF_Xfer_NUM_MODES,

    /* Older names of the same modes. */
    PF_Xfer_TINT          = PF_Xfer_LINEAR_DODGE,
    PF_Xfer_SHADE         = PF_Xfer_LINEAR_BURN,
    PF_Xfer_INTENSE_LIGHT = PF_Xfer_VIVID_LIGHT
};

typedef struct {
    PF_TransferMode xfer;
    A_long          rand_seed;
    A_u_char        opacity;
    PF_Boolean      rgb_only;
    A_u_short       opacitySu;
} PF_CompositeMode;

/* ---- Masks and new worlds ------------------------------------------------- */

typedef A_long PF_MaskFlags;

enum {
    PF_MaskFlag_NONE      = 0,
    PF_MaskFlag_INVERTED  = 1,
    PF_MaskFlag_LUMINANCE = 2
};

typedef struct {
    PF_EffectWorld mask;
    PF_Point       offset;
    PF_MaskFlags   what_is_mask;
} PF_MaskWorld;

typedef A_long PF_NewWorldFlags;

enum {
    PF_NewWorldFlag_NONE         = 0,
    PF_NewWorldFlag_CLEAR_PIXELS = 1,
    PF_NewWorldFlag_DEEP_PIXELS  = 2,
    PF_NewWorldFlag_RESERVED0    = 4,
    PF_NewWorldFlag_RESERVED1    = 8
};

/* ---- Convolution kernel flags: each zero value is the default of its pair --- */

typedef A_u_long PF_KernelFlags;

#define PF_KernelFlag_2D                    0U
#define PF_KernelFlag_1D                    0x01U
#define PF_KernelFlag_UNNORMALIZED          0U
#define PF_KernelFlag_NORMALIZED            0x02U
#define PF_KernelFlag_CLAMP                 0U
#define PF_KernelFlag_NO_CLAMP              0x04U
#define PF_KernelFlag_USE_LONG              0U
#define PF_KernelFlag_USE_CHAR              0x08U
#define PF_KernelFlag_USE_FIXED             0x10U
#define PF_KernelFlag_USE_UNDEFINED         0x18U
#define PF_KernelFlag_HORIZONTAL            0U
#define PF_KernelFlag_VERTICAL              0x20U
#define PF_KernelFlag_TRANSPARENT_BORDERS   0U
#define PF_KernelFlag_REPLICATE_BORDERS     0x40U
#define PF_KernelFlag_STRAIGHT_CONVOLVE     0U
#define PF_KernelFlag_ALPHA_WEIGHT_CONVOLVE 0x80U

/* ---- Colour-space pixels and other callback types -------------------------- */

typedef PF_Fixed PF_RGB_Pixel[3];
typedef PF_Fixed PF_YIQ_Pixel[3];
typedef PF_Fixed PF_HLS_Pixel[3];

typedef A_long PF_CallbackID;
typedef A_long PF_PlatDataID;

typedef PF_Err (*PF_CallbackFunc)(PF_ProgPtr effect_ref, ...);

/* Only ever passed by pointer to sampling calls. */
typedef struct PF_SampPB PF_SampPB;

/* The host may call pixel functions on several threads at once. */
typedef PF_Err (*PF_IteratePixel8Func)(void *refconP, A_long xL, A_long yL,
                                       PF_Pixel *inP, PF_Pixel *outP);
typedef PF_Err (*PF_IteratePixel16Func)(void *refconP, A_long xL, A_long yL,
                                        PF_Pixel16 *inP, PF_Pixel16 *outP);
typedef PF_Err (*PF_IteratePixelFloatFunc)(void *refconP, A_long xL, A_long yL,
                                           PF_PixelFloat *inP, PF_PixelFloat *outP);

/* ---- ANSI and colour blocks ------------------------------------------------ */

typedef struct {
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
    A_long   ansi_procs[1];
} PF_ANSICallbacks;

typedef struct {
    PF_Err (*RGBtoHLS)(PF_ProgPtr effect_ref, PF_Pixel *rgb, PF_HLS_Pixel hls);
    PF_Err (*HLStoRGB)(PF_ProgPtr effect_ref, PF_HLS_Pixel hls, PF_Pixel *rgb);
    PF_Err (*RGBtoYIQ)(PF_ProgPtr effect_ref, PF_Pixel *rgb, PF_YIQ_Pixel yiq);
    PF_Err (*YIQtoRGB)(PF_ProgPtr effect_ref, PF_YIQ_Pixel yiq, PF_Pixel *rgb);
    PF_Err (*Luminance)(PF_ProgPtr effect_ref, PF_Pixel *rgb, A_long *lum100);
    PF_Err (*Hue)(PF_ProgPtr effect_ref, PF_Pixel *rgb, A_long *hue);
    PF_Err (*Lightness)(PF_ProgPtr effect_ref, PF_Pixel *rgb, A_long *lightness);
    PF_Err (*Saturation)(PF_ProgPtr effect_ref, PF_Pixel *rgb, A_long *saturation);
} PF_ColorCallbacks;

/* ---- Utility callbacks (PF_InData::utils) ----------------------------------- */

typedef struct _PF_UtilCallbacks {
    PF_Err (*begin_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                             PF_SampPB *params);
    PF_Err (*subpixel_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                              const PF_SampPB *params, PF_Pixel *dst_pixel);
    PF_Err (*area_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                          const PF_SampPB *params, PF_Pixel *dst_pixel);
    void *get_batch_func_is_deprecated;
    PF_Err (*end_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                           PF_SampPB *params);
    PF_Err (*composite_rect)(PF_ProgPtr effect_ref, PF_Rect *src_rect, A_long src_opacity,
                             PF_EffectWorld *source_wld, A_long dest_x, A_long dest_y,
                             PF_Field field_rdr, PF_XferMode xfer_mode, PF_EffectWorld *dest_wld);
    PF_Err (*blend)(PF_ProgPtr effect_ref, const PF_EffectWorld *src1, const PF_EffectWorld *src2,
                    PF_Fixed ratio, PF_EffectWorld *dst);
    PF_Err (*convolve)(PF_ProgPtr effect_ref, PF_EffectWorld *src, const PF_Rect *area,
                       PF_KernelFlags flags, A_long kernel_size, void *a_kernel, void *r_kernel,
                       void *g_kernel, void *b_kernel, PF_EffectWorld *dst);
    /* NULL rects mean the whole world. */
    PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld *src, PF_EffectWorld *dst,
                   PF_Rect *src_r, PF_Rect *dst_r);
    /* NULL colour means black; NULL rect means the whole world. */
    PF_Err (*fill)(PF_ProgPtr effect_ref, const PF_Pixel *color, const PF_Rect *dst_rect,
                   PF_EffectWorld *world);
    PF_Err (*gaussian_kernel)(PF_ProgPtr effect_ref, A_FpLong kRadius, PF_KernelFlags flags,
                              A_FpLong multiplier, A_long *diameter, void *kernel);
    PF_Err (*iterate)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                      PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*premultiply)(PF_ProgPtr effect_ref, A_long forward, PF_EffectWorld *dst);
    PF_Err (*premultiply_color)(PF_ProgPtr effect_ref, PF_EffectWorld *src, const PF_Pixel *color,
                                A_long forward, PF_EffectWorld *dst);
    PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height,
                        PF_NewWorldFlags flags, PF_EffectWorld *world);
    PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
    PF_Err (*iterate_origin)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                             void *refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_lut)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                          PF_EffectWorld *src, const PF_Rect *area, A_u_char *a_lut0,
                          A_u_char *r_lut0, A_u_char *g_lut0, A_u_char *b_lut0,
                          PF_EffectWorld *dst);
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
    PF_Handle (*host_new_handle)(A_u_longlong size);
    void *(*host_lock_handle)(PF_Handle pf_handle);
    void (*host_unlock_handle)(PF_Handle pf_handle);
    void (*host_dispose_handle)(PF_Handle pf_handle);
    PF_Err (*get_callback_addr)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags mode_flags,
                                PF_CallbackID which_callback, PF_CallbackFunc *fn_ptr);
    PF_Err (*app)(PF_ProgPtr effect_ref, A_long, ...);
    PF_ANSICallbacks  ansi;
    PF_ColorCallbacks colorCB;
    PF_Err (*get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void *data);
    A_u_longlong (*host_get_handle_size)(PF_Handle pf_handle);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData *in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld *src,
                                          const PF_Rect *area, const PF_Point *origin,
                                          void *refcon, PF_IteratePixel8Func pix_fn,
                                          PF_EffectWorld *dst);
    PF_Err (*iterate_generic)(A_long iterationsL, void *refconPV,
                              PF_Err (*fn_func)(void *refconPV, A_long thread_indexL, A_long i,
                                                A_long iterationsL));
    PF_Err (*host_resize_handle)(A_u_longlong new_sizeL, PF_Handle *handlePH);
    PF_Err (*subpixel_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                                const PF_SampPB *params, PF_Pixel16 *dst_pixel);
    PF_Err (*area_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                            const PF_SampPB *params, PF_Pixel16 *dst_pixel);
    PF_Err (*fill16)(PF_ProgPtr effect_ref, const PF_Pixel16 *color, const PF_Rect *dst_rect,
                     PF_EffectWorld *world);
    PF_Err (*premultiply_color16)(PF_ProgPtr effect_ref, PF_EffectWorld *src,
                                  const PF_Pixel16 *color, A_long forward, PF_EffectWorld *dst);
    PF_Err (*iterate16)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld *src, const PF_Rect *area, void *refcon,
                        PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin16)(PF_InData *in_data, A_long progress_base, A_long progress_final,
                               PF_EffectWorld *src, const PF_Rect *area, const PF_Point *origin,
                               void *refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst);
    PF_Err (*iterate_origin_non_clip_src16)(PF_InData *in_data, A_long progress_base,
                                            A_long progress_final, PF_EffectWorld *src,
                                            const PF_Rect *area, const PF_Point *origin,
                                            void *refcon, PF_IteratePixel16Func pix_fn,
                                            PF_EffectWorld *dst);
    PF_Err (*get_pixel_data8)(PF_EffectWorld *worldP, PF_PixelPtr pixelsP0, PF_Pixel8 **pixPP);
    PF_Err (*get_pixel_data16)(PF_EffectWorld *worldP, PF_PixelPtr pixelsP0, PF_Pixel16 **pixPP);
    A_long reserved[1];
} PF_UtilCallbacks;

/* ---- Convenience macros; they expect a PF_InData *in_data in scope --------- */

#define PF_ABORT(IN_DATA) \
    (*(IN_DATA)->inter.abort)((IN_DATA)->effect_ref)
#define PF_PROGRESS(IN_DATA, CURR, TOTAL) \
    (*(IN_DATA)->inter.progress)((IN_DATA)->effect_ref, (CURR), (TOTAL))

#define PF_COPY(SRC, DST, SRC_RECT, DST_RECT) \
    (*in_data->utils->copy)(in_data->effect_ref, (SRC), (DST), (SRC_RECT), (DST_RECT))
#define PF_FILL(COLOR, DST_RECT, DST) \
    (*in_data->utils->fill)(in_data->effect_ref, (COLOR), (DST_RECT), (DST))
#define PF_STRCPY(DST, SRC) \
    (*in_data->utils->ansi.strcpy)((DST), (SRC))
#define PF_SPRINTF(...) \
    (*in_data->utils->ansi.sprintf)(__VA_ARGS__)

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

/* ---- Layout checks (offsets as on Win64) ---------------------------------- */

A_CHECK_SIZE(PF_CompositeMode, 12);
A_CHECK_OFFSET(PF_CompositeMode, rand_seed, 4);
A_CHECK_OFFSET(PF_CompositeMode, opacity, 8);
A_CHECK_OFFSET(PF_CompositeMode, rgb_only, 9);
A_CHECK_OFFSET(PF_CompositeMode, opacitySu, 10);

A_CHECK_SIZE(PF_MaskWorld, 136);
A_CHECK_OFFSET(PF_MaskWorld, offset, 120);
A_CHECK_OFFSET(PF_MaskWorld, what_is_mask, 128);

A_CHECK_SIZE(PF_RGB_Pixel, 12);
A_CHECK_SIZE(PF_ANSICallbacks, 160);
A_CHECK_OFFSET(PF_ANSICallbacks, sprintf, 120);
A_CHECK_OFFSET(PF_ANSICallbacks, strcpy, 128);
A_CHECK_OFFSET(PF_ANSICallbacks, ansi_procs, 152);
A_CHECK_SIZE(PF_ColorCallbacks, 64);

A_CHECK_SIZE(PF_UtilCallbacks, 552);
A_CHECK_OFFSET(PF_UtilCallbacks, subpixel_sample, 8);
A_CHECK_OFFSET(PF_UtilCallbacks, area_sample, 16);
A_CHECK_OFFSET(PF_UtilCallbacks, get_batch_func_is_deprecated, 24);
A_CHECK_OFFSET(PF_UtilCallbacks, end_sampling, 32);
A_CHECK_OFFSET(PF_UtilCallbacks, composite_rect, 40);
A_CHECK_OFFSET(PF_UtilCallbacks, blend, 48);
A_CHECK_OFFSET(PF_UtilCallbacks, convolve, 56);
A_CHECK_OFFSET(PF_UtilCallbacks, copy, 64);
A_CHECK_OFFSET(PF_UtilCallbacks, fill, 72);
A_CHECK_OFFSET(PF_UtilCallbacks, gaussian_kernel, 80);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate, 88);
A_CHECK_OFFSET(PF_UtilCallbacks, premultiply, 96);
A_CHECK_OFFSET(PF_UtilCallbacks, premultiply_color, 104);
A_CHECK_OFFSET(PF_UtilCallbacks, new_world, 112);
A_CHECK_OFFSET(PF_UtilCallbacks, dispose_world, 120);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_origin, 128);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_lut, 136);
A_CHECK_OFFSET(PF_UtilCallbacks, transfer_rect, 144);
A_CHECK_OFFSET(PF_UtilCallbacks, transform_world, 152);
A_CHECK_OFFSET(PF_UtilCallbacks, host_new_handle, 160);
A_CHECK_OFFSET(PF_UtilCallbacks, host_lock_handle, 168);
A_CHECK_OFFSET(PF_UtilCallbacks, host_unlock_handle, 176);
A_CHECK_OFFSET(PF_UtilCallbacks, host_dispose_handle, 184);
A_CHECK_OFFSET(PF_UtilCallbacks, get_callback_addr, 192);
A_CHECK_OFFSET(PF_UtilCallbacks, app, 200);
A_CHECK_OFFSET(PF_UtilCallbacks, ansi, 208);
A_CHECK_OFFSET(PF_UtilCallbacks, colorCB, 368);
A_CHECK_OFFSET(PF_UtilCallbacks, get_platform_data, 432);
A_CHECK_OFFSET(PF_UtilCallbacks, host_get_handle_size, 440);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_origin_non_clip_src, 448);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_generic, 456);
A_CHECK_OFFSET(PF_UtilCallbacks, host_resize_handle, 464);
A_CHECK_OFFSET(PF_UtilCallbacks, subpixel_sample16, 472);
A_CHECK_OFFSET(PF_UtilCallbacks, area_sample16, 480);
A_CHECK_OFFSET(PF_UtilCallbacks, fill16, 488);
A_CHECK_OFFSET(PF_UtilCallbacks, premultiply_color16, 496);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate16, 504);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_origin16, 512);
A_CHECK_OFFSET(PF_UtilCallbacks, iterate_origin_non_clip_src16, 520);
A_CHECK_OFFSET(PF_UtilCallbacks, get_pixel_data8, 528);
A_CHECK_OFFSET(PF_UtilCallbacks, get_pixel_data16, 536);
A_CHECK_OFFSET(PF_UtilCallbacks, reserved, 544);

#endif /* _H_AE_EffectCB */
