/* Core effect interface: command selectors, error codes, flag words,
   parameter types, pixels and worlds, parameter definitions, the in/out data
   records, interaction callbacks, smart-render records and the entry-point type. */
#ifndef _H_AE_EFFECT
#define _H_AE_EFFECT

#include "A.h"
#include "SPBasic.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* ---- Versions ------------------------------------------------------------ */

/* Effect API version pairs by host release; a PiPL and global setup must agree. */
#define PF_AE131_PLUG_IN_VERSION 13
#define PF_AE131_PLUG_IN_SUBVERS 8
#define PF_AE135_PLUG_IN_VERSION 13
#define PF_AE135_PLUG_IN_SUBVERS 9
#define PF_AE136_PLUG_IN_VERSION 13
#define PF_AE136_PLUG_IN_SUBVERS 10
#define PF_AE138_PLUG_IN_VERSION 13
#define PF_AE138_PLUG_IN_SUBVERS 11
#define PF_AE140_PLUG_IN_VERSION 13
#define PF_AE140_PLUG_IN_SUBVERS 13
#define PF_AE150_PLUG_IN_VERSION 13
#define PF_AE150_PLUG_IN_SUBVERS 15
#define PF_AE170_PLUG_IN_VERSION 13
#define PF_AE170_PLUG_IN_SUBVERS 18
#define PF_AE180_PLUG_IN_VERSION 13
#define PF_AE180_PLUG_IN_SUBVERS 24
#define PF_AE220_PLUG_IN_VERSION 13
#define PF_AE220_PLUG_IN_SUBVERS 27

/* The record layouts below are those of effect API version 13.8. */
#define PF_PLUG_IN_VERSION PF_AE131_PLUG_IN_VERSION
#define PF_PLUG_IN_SUBVERS PF_AE131_PLUG_IN_SUBVERS

/* Packs an effect version into one word: 3 bits version, 4 subversion,
   4 bug-fix, 2 stage, 9 build. */
#define PF_VERSION(VERS, SUBVERS, BUGVERS, STAGE, BUILD)   \
    ((A_u_long)(                                           \
        ((((A_u_long)(VERS)) & 0x7) << 19) |               \
        ((((A_u_long)(SUBVERS)) & 0xF) << 15) |            \
        ((((A_u_long)(BUGVERS)) & 0xF) << 11) |            \
        ((((A_u_long)(STAGE)) & 0x3) << 9) |               \
        (((A_u_long)(BUILD)) & 0x1FF)))

enum {
    PF_Stage_DEVELOP = 0,
    PF_Stage_ALPHA,
    PF_Stage_BETA,
    PF_Stage_RELEASE
};
typedef A_long PF_Stage;

/* ---- Limits -------------------------------------------------------------- */

#define PF_MAX_EFFECT_NAME_LEN          31
#define PF_MAX_EFFECT_CATEGORY_NAME_LEN 31
#define PF_MAX_EFFECT_PARAM_NAME_LEN    31
#define PF_MAX_PARAM_DESCRIPTION_LEN    31
#define PF_MAX_PARAM_VALUE_LEN          31
#define PF_MAX_EFFECT_MSG_LEN           255

#define PF_MAX_WORLD_WIDTH  30000
#define PF_MAX_WORLD_HEIGHT 30000

#define PF_MAX_CHAN8   255
#define PF_HALF_CHAN8  128
/* 16-bit white is 32768, not 65535. */
#define PF_MAX_CHAN16  32768
#define PF_HALF_CHAN16 16384

#define AEFX_AUDIO_DEFAULT_CURVE_TOLERANCE 0.05f

/* ---- Scalar types -------------------------------------------------------- */

typedef A_long   PF_Fixed;
typedef A_u_long PF_UFixed;
typedef A_char   PF_Boolean;
typedef void   **PF_Handle;
typedef A_FpLong  PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef A_long   PF_Err;
typedef A_long   PF_Cmd;

typedef struct PF_ProgressInfo *PF_ProgPtr;

typedef A_long PF_ParamIndex;
typedef A_long PF_ParamValue;
typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;

typedef A_long PF_Quality;
typedef A_long PF_ModeFlags;
typedef A_long PF_Field;
typedef A_long PF_WorldFlags;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_short PF_ValueDisplayFlags;
typedef A_u_long PF_FSliderFlags;
typedef A_long PF_ChannelMask;
typedef short  PF_RenderOutputFlags;
typedef A_u_long PF_PixLong;
typedef A_u_long PF_PathID;

typedef struct _PF_LayerAudio *PF_LayerAudio;
typedef void *PF_SndSamplePtr;
typedef PF_Handle PF_ArbitraryH;
typedef struct _PF_CustomUIInfo PF_CustomUIInfo;

/* ---- Command selectors (order frozen) ------------------------------------ */

enum {
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP,
    PF_Cmd_UNUSED_0,
    PF_Cmd_GLOBAL_SETDOWN,
    PF_Cmd_PARAMS_SETUP,
    PF_Cmd_SEQUENCE_SETUP,
    PF_Cmd_SEQUENCE_RESETUP,
    PF_Cmd_SEQUENCE_FLATTEN,
    PF_Cmd_SEQUENCE_SETDOWN,
    PF_Cmd_DO_DIALOG,
    PF_Cmd_FRAME_SETUP,
    PF_Cmd_RENDER,
    PF_Cmd_FRAME_SETDOWN,
    PF_Cmd_USER_CHANGED_PARAM,
    PF_Cmd_UPDATE_PARAMS_UI,
    PF_Cmd_EVENT,
    PF_Cmd_GET_EXTERNAL_DEPENDENCIES,
    PF_Cmd_COMPLETELY_GENERAL,
    PF_Cmd_QUERY_DYNAMIC_FLAGS,
    PF_Cmd_AUDIO_RENDER,
    PF_Cmd_AUDIO_SETUP,
    PF_Cmd_AUDIO_SETDOWN,
    PF_Cmd_ARBITRARY_CALLBACK,
    PF_Cmd_SMART_PRE_RENDER,
    PF_Cmd_SMART_RENDER,
    PF_Cmd_RESERVED1,
    PF_Cmd_RESERVED2,
    PF_Cmd_RESERVED3,
    PF_Cmd_NUM_CMDS
};

/* ---- Error codes --------------------------------------------------------- */

#define PF_FIRST_ERR 512

enum {
    PF_Err_NONE = 0,
    PF_Err_OUT_OF_MEMORY = 4,
    PF_Err_INTERNAL_STRUCT_DAMAGED = PF_FIRST_ERR,
    PF_Err_INVALID_INDEX,
    PF_Err_UNRECOGNIZED_PARAM_TYPE,
    PF_Err_INVALID_CALLBACK,
    PF_Err_BAD_CALLBACK_PARAM,
    PF_Interrupt_CANCEL,
    PF_Err_CANNOT_PARSE_KEYFRAME_TEXT
};

/* ---- Output flags (PF_OutData::out_flags) -------------------------------- */

enum {
    PF_OutFlag_NONE                             = 0,
    PF_OutFlag_KEEP_RESOURCE_OPEN               = 0x1,
    PF_OutFlag_WIDE_TIME_INPUT                  = 0x2,
    PF_OutFlag_NON_PARAM_VARY                   = 0x4,
    PF_OutFlag_RESERVED6                        = 0x8,
    PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING   = 0x10,
    PF_OutFlag_I_DO_DIALOG                      = 0x20,
    PF_OutFlag_USE_OUTPUT_EXTENT                = 0x40,
    PF_OutFlag_SEND_DO_DIALOG                   = 0x80,
    PF_OutFlag_DISPLAY_ERROR_MESSAGE            = 0x100,
    PF_OutFlag_I_EXPAND_BUFFER                  = 0x200,
    PF_OutFlag_PIX_INDEPENDENT                  = 0x400,
    PF_OutFlag_I_WRITE_INPUT_BUFFER             = 0x800,
    PF_OutFlag_I_SHRINK_BUFFER                  = 0x1000,
    PF_OutFlag_WORKS_IN_PLACE                   = 0x2000,
    PF_OutFlag_RESERVED8                        = 0x4000,
    PF_OutFlag_CUSTOM_UI                        = 0x8000,
    PF_OutFlag_RESERVED7                        = 0x10000,
    PF_OutFlag_REFRESH_UI                       = 0x20000,
    PF_OutFlag_NOP_RENDER                       = 0x40000,
    PF_OutFlag_I_USE_SHUTTER_ANGLE              = 0x80000,
    PF_OutFlag_I_USE_AUDIO                      = 0x100000,
    PF_OutFlag_I_AM_OBSOLETE                    = 0x200000,
    PF_OutFlag_FORCE_RERENDER                   = 0x400000,
    PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS  = 0x800000,
    PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES     = 0x1000000,
    PF_OutFlag_DEEP_COLOR_AWARE                 = 0x2000000,
    PF_OutFlag_SEND_UPDATE_PARAMS_UI            = 0x4000000,
    PF_OutFlag_AUDIO_FLOAT_ONLY                 = 0x8000000,
    PF_OutFlag_AUDIO_IIR                        = 0x10000000,
    PF_OutFlag_I_SYNTHESIZE_AUDIO               = 0x20000000,
    PF_OutFlag_AUDIO_EFFECT_TOO                 = 0x40000000,
    /* Bit 31 as a signed value, so the flag word stays a 32-bit A_long. */
    PF_OutFlag_AUDIO_EFFECT_ONLY                = (A_long)0x80000000
};

/* ---- Output flags 2 (PF_OutData::out_flags2); bit 9 has no flag ---------- */

enum {
    PF_OutFlag2_NONE                                     = 0,
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS             = 0x1,
    PF_OutFlag2_I_USE_3D_CAMERA                          = 0x2,
    PF_OutFlag2_I_USE_3D_LIGHTS                          = 0x4,
    PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG         = 0x8,
    PF_OutFlag2_I_AM_THREADSAFE                          = 0x10,
    PF_OutFlag2_CAN_COMBINE_WITH_DESTINATION             = 0x20,
    PF_OutFlag2_DOESNT_NEED_EMPTY_PIXELS                 = 0x40,
    PF_OutFlag2_REVEALS_ZERO_ALPHA                       = 0x80,
    PF_OutFlag2_PRESERVES_FULLY_OPAQUE_PIXELS            = 0x100,
    PF_OutFlag2_SUPPORTS_SMART_RENDER                    = 0x400,
    PF_OutFlag2_RESERVED9                                = 0x800,
    PF_OutFlag2_FLOAT_COLOR_AWARE                        = 0x1000,
    PF_OutFlag2_I_USE_COLORSPACE_ENUMERATION             = 0x2000,
    PF_OutFlag2_I_AM_DEPRECATED                          = 0x4000,
    PF_OutFlag2_PPRO_DO_NOT_CLONE_SEQUENCE_DATA_FOR_RENDER = 0x8000,
    PF_OutFlag2_RESERVED10                               = 0x10000,
    PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT                = 0x20000,
    PF_OutFlag2_I_USE_TIMECODE                           = 0x40000,
    PF_OutFlag2_DEPENDS_ON_UNREFERENCED_MASKS            = 0x80000,
    PF_OutFlag2_OUTPUT_IS_WATERMARKED                    = 0x100000
};

enum {
    PF_InFlag_NONE = 0
};

/* ---- Parameter types and flags ------------------------------------------- */

enum {
    PF_Param_RESERVED = -1,
    PF_Param_LAYER = 0,
    PF_Param_SLIDER,
    PF_Param_FIX_SLIDER,
    PF_Param_ANGLE,
    PF_Param_CHECKBOX,
    PF_Param_COLOR,
    PF_Param_POINT,
    PF_Param_POPUP,
    PF_Param_CUSTOM,
    PF_Param_NO_DATA,
    PF_Param_FLOAT_SLIDER,
    PF_Param_ARBITRARY_DATA,
    PF_Param_PATH,
    PF_Param_GROUP_START,
    PF_Param_GROUP_END,
    PF_Param_BUTTON,
    PF_Param_RESERVED2,
    PF_Param_RESERVED3,
    PF_Param_POINT_3D
};

enum {
    PF_ParamFlag_RESERVED1                      = 0x1,
    PF_ParamFlag_CANNOT_TIME_VARY               = 0x2,
    PF_ParamFlag_CANNOT_INTERP                  = 0x4,
    PF_ParamFlag_RESERVED2                      = 0x8,
    PF_ParamFlag_RESERVED3                      = 0x10,
    PF_ParamFlag_COLLAPSE_TWIRLY                = 0x20,
    PF_ParamFlag_SUPERVISE                      = 0x40,
    PF_ParamFlag_START_COLLAPSED                = PF_ParamFlag_COLLAPSE_TWIRLY,
    PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS     = 0x80,
    PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE      = 0x80,
    PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 0x100,
    PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN      = 0x200
};

enum {
    PF_ValueDisplayFlag_NONE      = 0,
    PF_ValueDisplayFlag_PERCENT   = 1,
    PF_ValueDisplayFlag_PIXEL     = 2,
    PF_ValueDisplayFlag_RESERVED1 = 4
};

enum {
    PF_FSliderFlag_NONE       = 0,
    PF_FSliderFlag_WANT_PHASE = 1
};

enum {
    PF_LayerDefault_MYSELF = -1,
    PF_LayerDefault_NONE   = 0
};

/* ---- Rendering modes ----------------------------------------------------- */

enum {
    PF_Quality_DRAWING_AUDIO = -1,
    PF_Quality_LO = 0,
    PF_Quality_HI
};

enum {
    PF_MF_Alpha_PREMUL   = 0,
    PF_MF_Alpha_STRAIGHT = 1
};

enum {
    PF_Field_FRAME = 0,
    PF_Field_UPPER,
    PF_Field_LOWER
};

enum {
    PF_WorldFlag_DEEP      = 0x1,
    PF_WorldFlag_WRITEABLE = 0x2,
    PF_WorldFlag_RESERVED0 = 0x1000000,
    PF_WorldFlag_RESERVED1 = 0x2000000,
    PF_WorldFlag_RESERVED2 = 0x4000000,
    PF_WorldFlag_RESERVED3 = 0x8000000,
    PF_WorldFlag_RESERVED4 = 0x10000000,
    PF_WorldFlag_RESERVED5 = 0x20000000,
    PF_WorldFlag_RESERVED6 = 0x40000000,
    PF_WorldFlag_RESERVED  = (A_long)0x80000000
};

enum {
    PF_ChannelMask_ALPHA = 0x1,
    PF_ChannelMask_RED   = 0x2,
    PF_ChannelMask_GREEN = 0x4,
    PF_ChannelMask_BLUE  = 0x8,
    PF_ChannelMask_ARGB  = 0xF
};

enum {
    PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 0x1,
    PF_RenderOutputFlag_RESERVED             = 0x2
};

/* ---- Small records ------------------------------------------------------- */

typedef struct {
    A_long left;
    A_long top;
    A_long right;
    A_long bottom;
} PF_LRect;

typedef PF_LRect PF_Rect;
typedef PF_LRect PF_UnionableRect;

typedef struct {
#ifdef LPOINT_RENAME_COMPONENTS
    A_long x;
    A_long y;
#else
    A_long h;
    A_long v;
#endif
} PF_Point;

typedef struct {
    A_long   num;
    A_u_long den;
} PF_RationalScale;

typedef struct {
    A_short major;
    A_short minor;
} PF_SpecVersion;

typedef struct {
    A_u_char alpha;
    A_u_char red;
    A_u_char green;
    A_u_char blue;
} PF_Pixel;

typedef PF_Pixel PF_Pixel8;
typedef PF_Pixel PF_UnionablePixel;

typedef struct {
#ifdef PF_PIXEL16_RENAME_COMPONENTS
    A_u_short alphaSu;
    A_u_short redSu;
    A_u_short greenSu;
    A_u_short blueSu;
#else
    A_u_short alpha;
    A_u_short red;
    A_u_short green;
    A_u_short blue;
#endif
} PF_Pixel16;

typedef struct {
    PF_FpShort alpha;
    PF_FpShort red;
    PF_FpShort green;
    PF_FpShort blue;
} PF_PixelFloat;

typedef PF_PixelFloat PF_Pixel32;

/* Row-major: mat[row][col]. */
typedef struct {
    PF_FpLong mat[3][3];
} PF_FloatMatrix;

typedef struct {
    PF_Fixed mat[3][3];
} PF_Matrix;

/* Deep-colour-aware code must not assume 8-bit pixels behind `data`. */
#ifdef PF_DEEP_COLOR_AWARE
typedef struct _PF_PixelOpaque *PF_PixelPtr;
#else
typedef PF_Pixel *PF_PixelPtr;
#endif

/* ---- Sound ----------------------------------------------------------------- */

typedef struct {
    PF_FpLong rateF;
    A_short   num_channels;
    A_short   format;
    A_short   sample_size;
} PF_SoundFormatInfo;

typedef struct {
    PF_SoundFormatInfo fi;
    A_long             num_samples;
    void              *dataP;
} PF_SoundWorld;

/* ---- Worlds ---------------------------------------------------------------- */

typedef struct PF_LayerDef {
    void            *reserved0;
    void            *reserved1;
    PF_WorldFlags    world_flags;
    PF_PixelPtr      data;
    A_long           rowbytes;
    A_long           width;
    A_long           height;
    PF_UnionableRect extent_hint;
    void            *platform_ref;
    A_long           reserved_long1;
    void            *reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void            *reserved_long2;
    A_long           origin_x;
    A_long           origin_y;
    A_long           reserved_long3;
    A_long           dephault;      /* a PF_LayerDefault_* value */
} PF_LayerDef;

typedef PF_LayerDef PF_EffectWorld;

/* ---- Parameter definitions ----------------------------------------------- */

typedef struct {
    PF_ParamValue value;
    A_char        value_str[PF_MAX_PARAM_VALUE_LEN + 1];
    A_char        value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_ParamValue valid_min;
    PF_ParamValue valid_max;
    PF_ParamValue slider_min;
    PF_ParamValue slider_max;
    PF_ParamValue dephault;
} PF_SliderDef;

typedef struct {
    PF_Fixed             value;
    A_char               value_str[PF_MAX_PARAM_VALUE_LEN + 1];
    A_char               value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_Fixed             valid_min;
    PF_Fixed             valid_max;
    PF_Fixed             slider_min;
    PF_Fixed             slider_max;
    PF_Fixed             dephault;
    A_short              precision;
    PF_ValueDisplayFlags display_flags;
} PF_FixedSliderDef;

typedef struct {
    PF_FpLong            value;
    PF_FpLong            phase;
    A_char               value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_FpShort           valid_min;
    PF_FpShort           valid_max;
    PF_FpShort           slider_min;
    PF_FpShort           slider_max;
    PF_FpShort           dephault;
    A_short              precision;
    PF_ValueDisplayFlags display_flags;
    PF_FSliderFlags      fs_flags;
    PF_FpShort           curve_tolerance;
    PF_Boolean           useExponent;
    PF_FpShort           exponent;
} PF_FloatSliderDef;

/* Degrees in 16.16, unbounded; the valid range is ignored for effects. */
typedef struct {
    PF_Fixed value;
    PF_Fixed dephault;
    PF_Fixed valid_min;
    PF_Fixed valid_max;
} PF_AngleDef;

typedef struct {
    PF_ParamValue value;
    PF_Boolean    dephault;
    A_char        reserved;
    A_short       reserved1;
    union {
        const A_char *nameptr;
    } u;
} PF_CheckBoxDef;

typedef struct {
    PF_UnionablePixel value;
    PF_UnionablePixel dephault;
} PF_ColorDef;

typedef struct {
    PF_Fixed   x_value;
    PF_Fixed   y_value;
    A_char     reserved[3];
    PF_Boolean restrict_bounds;
    PF_Fixed   x_dephault;
    PF_Fixed   y_dephault;
} PF_PointDef;

/* value is 1-based; choices are separated by '|'. */
typedef struct {
    PF_ParamValue value;
    A_short       num_choices;
    A_short       dephault;
    union {
        const A_char *namesptr;
    } u;
} PF_PopupDef;

typedef struct {
    PF_ParamValue value;
    union {
        const A_char *namesptr;
    } u;
} PF_ButtonDef;

typedef struct {
    A_short       id;
    A_short       pad;
    PF_ArbitraryH dephault;
    PF_ArbitraryH value;
    void         *refconPV;
} PF_ArbitraryDef;

typedef struct PF_PathDef {
    PF_PathID path_id;
    A_long    reserved0;
    A_long    dephault;
} PF_PathDef;

typedef struct {
    PF_FpLong x_value;
    PF_FpLong y_value;
    PF_FpLong z_value;
    PF_FpLong x_dephault;
    PF_FpLong y_dephault;
    PF_FpLong z_dephault;
    char      reserved[16];
} PF_Point3DDef;

/* Group start/end parameters have no member here. */
typedef union {
    PF_LayerDef       ld;
    PF_SliderDef      sd;
    PF_FixedSliderDef fd;
    PF_AngleDef       ad;
    PF_CheckBoxDef    bd;
    PF_ColorDef       cd;
    PF_PointDef       td;
    PF_PopupDef       pd;
    PF_FloatSliderDef fs_d;
    PF_ArbitraryDef   arb_d;
    PF_PathDef        path_d;
    PF_ButtonDef      button_d;
    PF_Point3DDef     point3d_d;
} PF_ParamDefUnion;

typedef struct {
    union {
        A_long         id;          /* disk id, stable across versions */
        PF_ChangeFlags change_flags;
    } uu;
    PF_ParamUIFlags  ui_flags;
    A_short          ui_width;
    A_short          ui_height;
    PF_ParamType     param_type;
    A_char           name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
    PF_ParamFlags    flags;
    A_long           unused;
    PF_ParamDefUnion u;
} PF_ParamDef, *PF_ParamDefPtr, **PF_ParamDefH;

typedef PF_ParamDef **PF_ParamList;

/* ---- Interaction callbacks (PF_InData::inter) ----------------------------- */

/* A param passed to checkout_param must not point into the params array, and
   every checked-out param must be checked back in. */
typedef struct {
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                             A_long time_step, A_u_long time_scale, PF_ParamDef *param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef *param);
    /* index -1 appends. */
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo *cust_info);
    PF_Err (*checkout_layer_audio)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long start_time,
                                   A_long duration, A_u_long time_scale, PF_UFixed rate,
                                   A_long bytes_per_sample, A_long num_channels,
                                   A_long fmt_signed, PF_LayerAudio *audio);
    PF_Err (*checkin_layer_audio)(PF_ProgPtr effect_ref, PF_LayerAudio audio);
    PF_Err (*get_audio_data)(PF_ProgPtr effect_ref, PF_LayerAudio audio, PF_SndSamplePtr *data0,
                             A_long *num_samples0, PF_UFixed *rate0, A_long *bytes_per_sample0,
                             A_long *num_channels0, A_long *fmt_signed0);
    void *reserved_str[3];
    void *reserved[10];
} PF_InteractCallbacks;

/* ---- In and out data ------------------------------------------------------- */

typedef struct {
    A_u_long      my_version;
    A_char        name[PF_MAX_EFFECT_NAME_LEN + 1];
    PF_Handle     global_data;
    A_long        num_params;
    PF_Handle     sequence_data;
    A_long        flat_sdata_size;  /* obsolete */
    PF_Handle     frame_data;
    A_long        width;
    A_long        height;
    PF_Point      origin;
    PF_OutFlags   out_flags;
    A_char        return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
    A_long        start_sampL;
    A_long        dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2  out_flags2;
} PF_OutData;

struct _PF_UtilCallbacks;
struct SPBasicSuite;

typedef struct {
    PF_InteractCallbacks      inter;
    struct _PF_UtilCallbacks *utils;
    PF_ProgPtr                effect_ref;
    PF_Quality                quality;
    PF_SpecVersion            version;
    A_long                    serial_num;
    A_long                    appl_id;
    A_long                    num_params;
    A_long                    reserved;
    A_long                    what_cpu;
    A_long                    what_fpu;
    A_long                    current_time;
    A_long                    time_step;
    A_long                    total_time;
    A_long                    local_time_step;
    A_u_long                  time_scale;
    PF_Field                  field;
    PF_Fixed                  shutter_angle;
    A_long                    width;
    A_long                    height;
    PF_Rect                   extent_hint;
    A_long                    output_origin_x;
    A_long                    output_origin_y;
    PF_RationalScale          downsample_x;
    PF_RationalScale          downsample_y;
    PF_RationalScale          pixel_aspect_ratio;
    PF_InFlags                in_flags;
    PF_Handle                 global_data;
    PF_Handle                 sequence_data;
    PF_Handle                 frame_data;
    A_long                    start_sampL;
    A_long                    dur_sampL;
    A_long                    total_sampL;
    PF_SoundWorld             src_snd;
    struct SPBasicSuite      *pica_basicP;
    A_long                    pre_effect_source_origin_x;
    A_long                    pre_effect_source_origin_y;
    PF_Fixed                  shutter_phase;
} PF_InData;

/* ---- Smart render ---------------------------------------------------------- */

typedef struct {
    PF_LRect       rect;
    PF_Field       field;
    PF_ChannelMask channel_mask;
    PF_Boolean     preserve_rgb_of_zero_alpha;
    char           unused[3];       /* keep zero */
    A_long         reserved[4];     /* keep zero */
} PF_RenderRequest;

typedef struct {
    PF_RenderRequest output_request;
    short            bitdepth;
} PF_PreRenderInput;

typedef void (*PF_DeletePreRenderDataFunc)(void *pre_render_data);

typedef struct {
    PF_LRect                   result_rect;
    PF_LRect                   max_result_rect;
    PF_Boolean                 solid;
    PF_Boolean                 reserved;
    PF_RenderOutputFlags       flags;
    void                      *pre_render_data;
    PF_DeletePreRenderDataFunc delete_pre_render_data_func;
} PF_PreRenderOutput;

typedef struct {
    PF_LRect         result_rect;
    PF_LRect         max_result_rect;
    PF_RationalScale par;
    PF_Boolean       solid;
    PF_Boolean       reservedB[3];
    A_long           ref_width;
    A_long           ref_height;
    A_long           reserved[6];
} PF_CheckoutResult;

/* Checkout ids are chosen by the effect: non-negative and unique. */
typedef struct {
    PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_idL,
                             const PF_RenderRequest *req, A_long what_time, A_long time_step,
                             A_u_long time_scale, PF_CheckoutResult *checkout_result);
} PF_PreRenderCallbacks;

typedef struct {
    PF_PreRenderInput     *input;
    PF_PreRenderOutput    *output;
    PF_PreRenderCallbacks *cb;
} PF_PreRenderExtra;

typedef struct {
    PF_RenderRequest output_request;
    short            bitdepth;
    void            *pre_render_data;
} PF_SmartRenderInput;

typedef struct {
    PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL,
                                    PF_EffectWorld **pixels);
    PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL);
    PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld **output);
} PF_SmartRenderCallbacks;

typedef struct {
    PF_SmartRenderInput     *input;
    PF_SmartRenderCallbacks *cb;
} PF_SmartRenderExtra;

typedef struct {
    PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

/* ---- Entry point ----------------------------------------------------------- */

typedef PF_Err (*PF_FilterProc)(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                PF_ParamList params, PF_LayerDef *output, void *extra);

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

/* ---- Layout checks (offsets as on Win64) ---------------------------------- */

A_CHECK_SIZE(PF_Boolean, 1);
A_CHECK_SIZE(PF_Handle, 8);
A_CHECK_SIZE(PF_LRect, 16);
A_CHECK_OFFSET(PF_LRect, top, 4);
A_CHECK_OFFSET(PF_LRect, right, 8);
A_CHECK_OFFSET(PF_LRect, bottom, 12);
A_CHECK_SIZE(PF_Point, 8);
A_CHECK_SIZE(PF_RationalScale, 8);
A_CHECK_OFFSET(PF_RationalScale, den, 4);
A_CHECK_SIZE(PF_SpecVersion, 4);
A_CHECK_SIZE(PF_Pixel, 4);
A_CHECK_SIZE(PF_Pixel16, 8);
A_CHECK_SIZE(PF_PixelFloat, 16);
A_CHECK_SIZE(PF_FloatMatrix, 72);
A_CHECK_SIZE(PF_Matrix, 36);
A_CHECK_SIZE(PF_PixelPtr, 8);

A_CHECK_SIZE(PF_SoundFormatInfo, 16);
A_CHECK_OFFSET(PF_SoundFormatInfo, num_channels, 8);
A_CHECK_OFFSET(PF_SoundFormatInfo, format, 10);
A_CHECK_OFFSET(PF_SoundFormatInfo, sample_size, 12);
A_CHECK_SIZE(PF_SoundWorld, 32);
A_CHECK_OFFSET(PF_SoundWorld, num_samples, 16);
A_CHECK_OFFSET(PF_SoundWorld, dataP, 24);

A_CHECK_SIZE(PF_LayerDef, 120);
A_CHECK_OFFSET(PF_LayerDef, reserved1, 8);
A_CHECK_OFFSET(PF_LayerDef, world_flags, 16);
A_CHECK_OFFSET(PF_LayerDef, data, 24);
A_CHECK_OFFSET(PF_LayerDef, rowbytes, 32);
A_CHECK_OFFSET(PF_LayerDef, width, 36);
A_CHECK_OFFSET(PF_LayerDef, height, 40);
A_CHECK_OFFSET(PF_LayerDef, extent_hint, 44);
A_CHECK_OFFSET(PF_LayerDef, platform_ref, 64);
A_CHECK_OFFSET(PF_LayerDef, reserved_long1, 72);
A_CHECK_OFFSET(PF_LayerDef, reserved_long4, 80);
A_CHECK_OFFSET(PF_LayerDef, pix_aspect_ratio, 88);
A_CHECK_OFFSET(PF_LayerDef, reserved_long2, 96);
A_CHECK_OFFSET(PF_LayerDef, origin_x, 104);
A_CHECK_OFFSET(PF_LayerDef, origin_y, 108);
A_CHECK_OFFSET(PF_LayerDef, reserved_long3, 112);
A_CHECK_OFFSET(PF_LayerDef, dephault, 116);

A_CHECK_SIZE(PF_SliderDef, 88);
A_CHECK_OFFSET(PF_SliderDef, value_str, 4);
A_CHECK_OFFSET(PF_SliderDef, value_desc, 36);
A_CHECK_OFFSET(PF_SliderDef, valid_min, 68);
A_CHECK_OFFSET(PF_SliderDef, valid_max, 72);
A_CHECK_OFFSET(PF_SliderDef, slider_min, 76);
A_CHECK_OFFSET(PF_SliderDef, slider_max, 80);
A_CHECK_OFFSET(PF_SliderDef, dephault, 84);

A_CHECK_SIZE(PF_FixedSliderDef, 92);
A_CHECK_OFFSET(PF_FixedSliderDef, value_str, 4);
A_CHECK_OFFSET(PF_FixedSliderDef, value_desc, 36);
A_CHECK_OFFSET(PF_FixedSliderDef, valid_min, 68);
A_CHECK_OFFSET(PF_FixedSliderDef, valid_max, 72);
A_CHECK_OFFSET(PF_FixedSliderDef, slider_min, 76);
A_CHECK_OFFSET(PF_FixedSliderDef, slider_max, 80);
A_CHECK_OFFSET(PF_FixedSliderDef, dephault, 84);
A_CHECK_OFFSET(PF_FixedSliderDef, precision, 88);
A_CHECK_OFFSET(PF_FixedSliderDef, display_flags, 90);

A_CHECK_SIZE(PF_FloatSliderDef, 88);
A_CHECK_OFFSET(PF_FloatSliderDef, phase, 8);
A_CHECK_OFFSET(PF_FloatSliderDef, value_desc, 16);
A_CHECK_OFFSET(PF_FloatSliderDef, valid_min, 48);
A_CHECK_OFFSET(PF_FloatSliderDef, valid_max, 52);
A_CHECK_OFFSET(PF_FloatSliderDef, slider_min, 56);
A_CHECK_OFFSET(PF_FloatSliderDef, slider_max, 60);
A_CHECK_OFFSET(PF_FloatSliderDef, dephault, 64);
A_CHECK_OFFSET(PF_FloatSliderDef, precision, 68);
A_CHECK_OFFSET(PF_FloatSliderDef, display_flags, 70);
A_CHECK_OFFSET(PF_FloatSliderDef, fs_flags, 72);
A_CHECK_OFFSET(PF_FloatSliderDef, curve_tolerance, 76);
A_CHECK_OFFSET(PF_FloatSliderDef, useExponent, 80);
A_CHECK_OFFSET(PF_FloatSliderDef, exponent, 84);

A_CHECK_SIZE(PF_AngleDef, 16);
A_CHECK_OFFSET(PF_AngleDef, dephault, 4);
A_CHECK_OFFSET(PF_AngleDef, valid_min, 8);
A_CHECK_OFFSET(PF_AngleDef, valid_max, 12);

A_CHECK_SIZE(PF_CheckBoxDef, 16);
A_CHECK_OFFSET(PF_CheckBoxDef, dephault, 4);
A_CHECK_OFFSET(PF_CheckBoxDef, reserved, 5);
A_CHECK_OFFSET(PF_CheckBoxDef, reserved1, 6);
A_CHECK_OFFSET(PF_CheckBoxDef, u, 8);

A_CHECK_SIZE(PF_ColorDef, 8);
A_CHECK_OFFSET(PF_ColorDef, dephault, 4);

A_CHECK_SIZE(PF_PointDef, 20);
A_CHECK_OFFSET(PF_PointDef, y_value, 4);
A_CHECK_OFFSET(PF_PointDef, reserved, 8);
A_CHECK_OFFSET(PF_PointDef, restrict_bounds, 11);
A_CHECK_OFFSET(PF_PointDef, x_dephault, 12);
A_CHECK_OFFSET(PF_PointDef, y_dephault, 16);

A_CHECK_SIZE(PF_PopupDef, 16);
A_CHECK_OFFSET(PF_PopupDef, num_choices, 4);
A_CHECK_OFFSET(PF_PopupDef, dephault, 6);
A_CHECK_OFFSET(PF_PopupDef, u, 8);

A_CHECK_SIZE(PF_ButtonDef, 16);
A_CHECK_OFFSET(PF_ButtonDef, u, 8);

A_CHECK_SIZE(PF_ArbitraryDef, 32);
A_CHECK_SIZE(PF_PathDef, 12);
A_CHECK_SIZE(PF_Point3DDef, 64);
A_CHECK_SIZE(PF_ParamDefUnion, 120);

A_CHECK_SIZE(PF_ParamDef, 176);
A_CHECK_OFFSET(PF_ParamDef, uu, 0);
A_CHECK_OFFSET(PF_ParamDef, ui_flags, 4);
A_CHECK_OFFSET(PF_ParamDef, ui_width, 8);
A_CHECK_OFFSET(PF_ParamDef, ui_height, 10);
A_CHECK_OFFSET(PF_ParamDef, param_type, 12);
A_CHECK_OFFSET(PF_ParamDef, name, 16);
A_CHECK_OFFSET(PF_ParamDef, flags, 48);
A_CHECK_OFFSET(PF_ParamDef, unused, 52);
A_CHECK_OFFSET(PF_ParamDef, u, 56);

A_CHECK_SIZE(PF_InteractCallbacks, 176);
A_CHECK_OFFSET(PF_InteractCallbacks, checkin_param, 8);
A_CHECK_OFFSET(PF_InteractCallbacks, add_param, 16);
A_CHECK_OFFSET(PF_InteractCallbacks, abort, 24);
A_CHECK_OFFSET(PF_InteractCallbacks, progress, 32);
A_CHECK_OFFSET(PF_InteractCallbacks, register_ui, 40);
A_CHECK_OFFSET(PF_InteractCallbacks, checkout_layer_audio, 48);
A_CHECK_OFFSET(PF_InteractCallbacks, checkin_layer_audio, 56);
A_CHECK_OFFSET(PF_InteractCallbacks, get_audio_data, 64);
A_CHECK_OFFSET(PF_InteractCallbacks, reserved_str, 72);
A_CHECK_OFFSET(PF_InteractCallbacks, reserved, 96);

A_CHECK_SIZE(PF_OutData, 408);
A_CHECK_OFFSET(PF_OutData, name, 4);
A_CHECK_OFFSET(PF_OutData, global_data, 40);
A_CHECK_OFFSET(PF_OutData, num_params, 48);
A_CHECK_OFFSET(PF_OutData, sequence_data, 56);
A_CHECK_OFFSET(PF_OutData, flat_sdata_size, 64);
A_CHECK_OFFSET(PF_OutData, frame_data, 72);
A_CHECK_OFFSET(PF_OutData, width, 80);
A_CHECK_OFFSET(PF_OutData, height, 84);
A_CHECK_OFFSET(PF_OutData, origin, 88);
A_CHECK_OFFSET(PF_OutData, out_flags, 96);
A_CHECK_OFFSET(PF_OutData, return_msg, 100);
A_CHECK_OFFSET(PF_OutData, start_sampL, 356);
A_CHECK_OFFSET(PF_OutData, dur_sampL, 360);
A_CHECK_OFFSET(PF_OutData, dest_snd, 368);
A_CHECK_OFFSET(PF_OutData, out_flags2, 400);

A_CHECK_SIZE(PF_InData, 408);
A_CHECK_OFFSET(PF_InData, utils, 176);
A_CHECK_OFFSET(PF_InData, effect_ref, 184);
A_CHECK_OFFSET(PF_InData, quality, 192);
A_CHECK_OFFSET(PF_InData, version, 196);
A_CHECK_OFFSET(PF_InData, serial_num, 200);
A_CHECK_OFFSET(PF_InData, appl_id, 204);
A_CHECK_OFFSET(PF_InData, num_params, 208);
A_CHECK_OFFSET(PF_InData, reserved, 212);
A_CHECK_OFFSET(PF_InData, what_cpu, 216);
A_CHECK_OFFSET(PF_InData, what_fpu, 220);
A_CHECK_OFFSET(PF_InData, current_time, 224);
A_CHECK_OFFSET(PF_InData, time_step, 228);
A_CHECK_OFFSET(PF_InData, total_time, 232);
A_CHECK_OFFSET(PF_InData, local_time_step, 236);
A_CHECK_OFFSET(PF_InData, time_scale, 240);
A_CHECK_OFFSET(PF_InData, field, 244);
A_CHECK_OFFSET(PF_InData, shutter_angle, 248);
A_CHECK_OFFSET(PF_InData, width, 252);
A_CHECK_OFFSET(PF_InData, height, 256);
A_CHECK_OFFSET(PF_InData, extent_hint, 260);
A_CHECK_OFFSET(PF_InData, output_origin_x, 276);
A_CHECK_OFFSET(PF_InData, output_origin_y, 280);
A_CHECK_OFFSET(PF_InData, downsample_x, 284);
A_CHECK_OFFSET(PF_InData, downsample_y, 292);
A_CHECK_OFFSET(PF_InData, pixel_aspect_ratio, 300);
A_CHECK_OFFSET(PF_InData, in_flags, 308);
A_CHECK_OFFSET(PF_InData, global_data, 312);
A_CHECK_OFFSET(PF_InData, sequence_data, 320);
A_CHECK_OFFSET(PF_InData, frame_data, 328);
A_CHECK_OFFSET(PF_InData, start_sampL, 336);
A_CHECK_OFFSET(PF_InData, dur_sampL, 340);
A_CHECK_OFFSET(PF_InData, total_sampL, 344);
A_CHECK_OFFSET(PF_InData, src_snd, 352);
A_CHECK_OFFSET(PF_InData, pica_basicP, 384);
A_CHECK_OFFSET(PF_InData, pre_effect_source_origin_x, 392);
A_CHECK_OFFSET(PF_InData, pre_effect_source_origin_y, 396);
A_CHECK_OFFSET(PF_InData, shutter_phase, 400);

A_CHECK_SIZE(PF_RenderRequest, 44);
A_CHECK_OFFSET(PF_RenderRequest, field, 16);
A_CHECK_OFFSET(PF_RenderRequest, channel_mask, 20);
A_CHECK_OFFSET(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24);
A_CHECK_OFFSET(PF_RenderRequest, unused, 25);
A_CHECK_OFFSET(PF_RenderRequest, reserved, 28);

A_CHECK_SIZE(PF_PreRenderInput, 48);
A_CHECK_OFFSET(PF_PreRenderInput, bitdepth, 44);

A_CHECK_SIZE(PF_PreRenderOutput, 56);
A_CHECK_OFFSET(PF_PreRenderOutput, max_result_rect, 16);
A_CHECK_OFFSET(PF_PreRenderOutput, solid, 32);
A_CHECK_OFFSET(PF_PreRenderOutput, reserved, 33);
A_CHECK_OFFSET(PF_PreRenderOutput, flags, 34);
A_CHECK_OFFSET(PF_PreRenderOutput, pre_render_data, 40);
A_CHECK_OFFSET(PF_PreRenderOutput, delete_pre_render_data_func, 48);

A_CHECK_SIZE(PF_CheckoutResult, 76);
A_CHECK_OFFSET(PF_CheckoutResult, max_result_rect, 16);
A_CHECK_OFFSET(PF_CheckoutResult, par, 32);
A_CHECK_OFFSET(PF_CheckoutResult, solid, 40);
A_CHECK_OFFSET(PF_CheckoutResult, reservedB, 41);
A_CHECK_OFFSET(PF_CheckoutResult, ref_width, 44);
A_CHECK_OFFSET(PF_CheckoutResult, ref_height, 48);
A_CHECK_OFFSET(PF_CheckoutResult, reserved, 52);

A_CHECK_SIZE(PF_PreRenderCallbacks, 8);
A_CHECK_SIZE(PF_PreRenderExtra, 24);
A_CHECK_OFFSET(PF_PreRenderExtra, output, 8);
A_CHECK_OFFSET(PF_PreRenderExtra, cb, 16);

A_CHECK_SIZE(PF_SmartRenderInput, 56);
A_CHECK_OFFSET(PF_SmartRenderInput, bitdepth, 44);
A_CHECK_OFFSET(PF_SmartRenderInput, pre_render_data, 48);

A_CHECK_SIZE(PF_SmartRenderCallbacks, 24);
A_CHECK_SIZE(PF_SmartRenderExtra, 16);
A_CHECK_OFFSET(PF_SmartRenderExtra, cb, 8);
A_CHECK_SIZE(PF_UserChangedParamExtra, 4);

#endif /* _H_AE_EFFECT */
