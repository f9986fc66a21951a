/* Earlier AEGP suite versions that hosts still serve: AEGP World Suite 2,
   Utility Suite 3 (version 7), Stream Suite 2 (version 7), Dynamic Stream
   Suite 2 and Effect Suite 2. */
/* As in the vendor's SDK, AE_GeneralPlug.h includes this header at its end and nothing else
   may: it has no include guard, so a second inclusion redefines every name in it. Include
   AE_GeneralPlug.h instead. */
#ifndef _H_AE_GeneralPlug
#error "AE_GeneralPlugOld.h comes with AE_GeneralPlug.h: include that instead"
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 8)

/* ---- AEGP World Suite 2: as Suite 3 without AEGP_GetBaseAddr32 ---------------- */

typedef struct {
    A_Err (SPAPI *AEGP_New)(AEGP_PluginID plugin_id, AEGP_WorldType type, A_long widthL,
                            A_long heightL, AEGP_WorldH *worldPH);
    A_Err (SPAPI *AEGP_Dispose)(AEGP_WorldH worldH);
    A_Err (SPAPI *AEGP_GetType)(AEGP_WorldH worldH, AEGP_WorldType *typeP);
    A_Err (SPAPI *AEGP_GetSize)(AEGP_WorldH worldH, A_long *widthPL, A_long *heightPL);
    A_Err (SPAPI *AEGP_GetRowBytes)(AEGP_WorldH worldH, A_u_long *row_bytesPL);
    A_Err (SPAPI *AEGP_GetBaseAddr8)(AEGP_WorldH worldH, PF_Pixel8 **base_addrP);
    A_Err (SPAPI *AEGP_GetBaseAddr16)(AEGP_WorldH worldH, PF_Pixel16 **base_addrP);
    A_Err (SPAPI *AEGP_FillOutPFEffectWorld)(AEGP_WorldH worldH, PF_EffectWorld *pf_worldP);
    A_Err (SPAPI *AEGP_FastBlur)(A_FpLong radiusF, PF_ModeFlags mode, PF_Quality quality,
                                 AEGP_WorldH worldH);
    A_Err (SPAPI *AEGP_NewPlatformWorld)(AEGP_PluginID plugin_id, AEGP_WorldType type,
                                         A_long widthL, A_long heightL,
                                         AEGP_PlatformWorldH *worldPH);
    A_Err (SPAPI *AEGP_DisposePlatformWorld)(AEGP_PlatformWorldH worldH);
    A_Err (SPAPI *AEGP_NewReferenceFromPlatformWorld)(AEGP_PluginID plugin_id,
                                                      AEGP_PlatformWorldH plat_worldH,
                                                      AEGP_WorldH *worldPH);
} AEGP_WorldSuite2;

/* ---- AEGP Utility Suite 3 (kAEGPUtilitySuiteVersion3 = 7) ---------------------- */

typedef struct AEGP_UtilitySuite3 {
    AEGP_UnusedSuiteFunc AEGP_ReportInfo;
    AEGP_UnusedSuiteFunc AEGP_GetDriverPluginInitFuncVersion;
    AEGP_UnusedSuiteFunc AEGP_GetDriverImplementationVersion;
    AEGP_UnusedSuiteFunc AEGP_StartQuietErrors;
    AEGP_UnusedSuiteFunc AEGP_EndQuietErrors;
    AEGP_UnusedSuiteFunc AEGP_StartUndoGroup;
    A_Err (SPAPI *AEGP_EndUndoGroup)(void);
    A_Err (SPAPI *AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon,
                                         const A_char *plugin_nameZ,
                                         AEGP_PluginID *plugin_id);
    AEGP_UnusedSuiteFunc AEGP_GetMainHWND;
    AEGP_UnusedSuiteFunc AEGP_ShowHideAllFloaters;
    AEGP_UnusedSuiteFunc AEGP_PaintPalGetForeColor;
    AEGP_UnusedSuiteFunc AEGP_PaintPalGetBackColor;
    AEGP_UnusedSuiteFunc AEGP_PaintPalSetForeColor;
    AEGP_UnusedSuiteFunc AEGP_PaintPalSetBackColor;
    AEGP_UnusedSuiteFunc AEGP_CharPalGetFillColor;
    AEGP_UnusedSuiteFunc AEGP_CharPalGetStrokeColor;
    AEGP_UnusedSuiteFunc AEGP_CharPalSetFillColor;
    AEGP_UnusedSuiteFunc AEGP_CharPalSetStrokeColor;
    AEGP_UnusedSuiteFunc AEGP_CharPalIsFillColorUIFrontmost;
    AEGP_UnusedSuiteFunc AEGP_ConvertFpLongToHSFRatio;
    AEGP_UnusedSuiteFunc AEGP_ConvertHSFRatioToFpLong;
    A_Err (SPAPI *AEGP_CauseIdleRoutinesToBeCalled)(void);
    AEGP_UnusedSuiteFunc AEGP_GetSuppressInteractiveUI;
    AEGP_UnusedSuiteFunc AEGP_WriteToOSConsole;
    AEGP_UnusedSuiteFunc AEGP_WriteToDebugLog;
} AEGP_UtilitySuite3;

/* ---- AEGP Stream Suite 2 (kAEGPStreamSuiteVersion2 = 7) ------------------------ */

typedef struct AEGP_StreamSuite2 {
    AEGP_UnusedSuiteFunc AEGP_IsStreamLegal;
    AEGP_UnusedSuiteFunc AEGP_CanVaryOverTime;
    AEGP_UnusedSuiteFunc AEGP_GetValidInterpolations;
    AEGP_UnusedSuiteFunc AEGP_GetNewLayerStream;
    AEGP_UnusedSuiteFunc AEGP_GetEffectNumParamStreams;
    A_Err (SPAPI *AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id,
                                                  AEGP_EffectRefH effect_refH,
                                                  PF_ParamIndex param_index,
                                                  AEGP_StreamRefH *streamPH);
    AEGP_UnusedSuiteFunc AEGP_GetNewMaskStream;
    A_Err (SPAPI *AEGP_DisposeStream)(AEGP_StreamRefH streamH);
    AEGP_UnusedSuiteFunc AEGP_GetStreamName;
    AEGP_UnusedSuiteFunc AEGP_GetStreamUnitsText;
    AEGP_UnusedSuiteFunc AEGP_GetStreamProperties;
    AEGP_UnusedSuiteFunc AEGP_IsStreamTimevarying;
    AEGP_UnusedSuiteFunc AEGP_GetStreamType;
    AEGP_UnusedSuiteFunc AEGP_GetNewStreamValue;
    AEGP_UnusedSuiteFunc AEGP_DisposeStreamValue;
    AEGP_UnusedSuiteFunc AEGP_SetStreamValue;
    AEGP_UnusedSuiteFunc AEGP_GetLayerStreamValue;
    AEGP_UnusedSuiteFunc AEGP_GetExpressionState;
    AEGP_UnusedSuiteFunc AEGP_SetExpressionState;
    AEGP_UnusedSuiteFunc AEGP_GetExpression;
    AEGP_UnusedSuiteFunc AEGP_SetExpression;
    AEGP_UnusedSuiteFunc AEGP_DuplicateStreamRef;
} AEGP_StreamSuite2;

/* ---- AEGP Dynamic Stream Suite 2 ------------------------------------------------ */

typedef struct AEGP_DynamicStreamSuite2 {
    AEGP_UnusedSuiteFunc AEGP_GetNewStreamRefForLayer;
    AEGP_UnusedSuiteFunc AEGP_GetStreamDepth;
    AEGP_UnusedSuiteFunc AEGP_GetStreamGroupingType;
    AEGP_UnusedSuiteFunc AEGP_GetNumStreamsInGroup;
    AEGP_UnusedSuiteFunc AEGP_GetDynamicStreamFlags;
    A_Err (SPAPI *AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH,
                                             AEGP_DynStreamFlags one_flag,
                                             A_Boolean undoableB, A_Boolean setB);
    AEGP_UnusedSuiteFunc AEGP_GetNewStreamRefByIndex;
    AEGP_UnusedSuiteFunc AEGP_GetNewStreamRefByMatchname;
    AEGP_UnusedSuiteFunc AEGP_DeleteStream;
    AEGP_UnusedSuiteFunc AEGP_ReorderStream;
    AEGP_UnusedSuiteFunc AEGP_DuplicateStream;
    AEGP_UnusedSuiteFunc AEGP_SetStreamName;
    AEGP_UnusedSuiteFunc AEGP_CanAddStream;
    AEGP_UnusedSuiteFunc AEGP_AddStream;
    AEGP_UnusedSuiteFunc AEGP_GetMatchName;
    AEGP_UnusedSuiteFunc AEGP_GetNewParentStreamRef;
    AEGP_UnusedSuiteFunc AEGP_GetStreamIsModified;
} AEGP_DynamicStreamSuite2;

/* ---- AEGP Effect Suite 2 --------------------------------------------------------- */

typedef struct AEGP_EffectSuite2 {
    AEGP_UnusedSuiteFunc AEGP_GetLayerNumEffects;
    AEGP_UnusedSuiteFunc AEGP_GetLayerEffectByIndex;
    AEGP_UnusedSuiteFunc AEGP_GetInstalledKeyFromLayerEffect;
    AEGP_UnusedSuiteFunc AEGP_GetEffectParamUnionByIndex;
    AEGP_UnusedSuiteFunc AEGP_GetEffectFlags;
    AEGP_UnusedSuiteFunc AEGP_SetEffectFlags;
    AEGP_UnusedSuiteFunc AEGP_ReorderEffect;
    AEGP_UnusedSuiteFunc AEGP_EffectCallGeneric;
    A_Err (SPAPI *AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
    AEGP_UnusedSuiteFunc AEGP_ApplyEffect;
    AEGP_UnusedSuiteFunc AEGP_DeleteLayerEffect;
    AEGP_UnusedSuiteFunc AEGP_GetNumInstalledEffects;
    AEGP_UnusedSuiteFunc AEGP_GetNextInstalledEffect;
    AEGP_UnusedSuiteFunc AEGP_GetEffectName;
    AEGP_UnusedSuiteFunc AEGP_GetEffectMatchName;
    AEGP_UnusedSuiteFunc AEGP_GetEffectCategory;
    AEGP_UnusedSuiteFunc AEGP_DuplicateEffect;
} AEGP_EffectSuite2;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

A_CHECK_SIZE(AEGP_WorldSuite2, 96);
A_CHECK_OFFSET(AEGP_WorldSuite2, AEGP_FillOutPFEffectWorld, 56);
A_CHECK_OFFSET(AEGP_WorldSuite2, AEGP_FastBlur, 64);
A_CHECK_SIZE(AEGP_UtilitySuite3, 200);
A_CHECK_OFFSET(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP, 56);
A_CHECK_SIZE(AEGP_StreamSuite2, 176);
A_CHECK_OFFSET(AEGP_StreamSuite2, AEGP_GetNewEffectStreamByIndex, 40);
A_CHECK_OFFSET(AEGP_StreamSuite2, AEGP_DisposeStream, 56);
A_CHECK_SIZE(AEGP_DynamicStreamSuite2, 136);
A_CHECK_OFFSET(AEGP_DynamicStreamSuite2, AEGP_SetDynamicStreamFlag, 40);
A_CHECK_SIZE(AEGP_EffectSuite2, 136);
A_CHECK_OFFSET(AEGP_EffectSuite2, AEGP_DisposeEffect, 64);
