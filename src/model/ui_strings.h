// Every string number of the language module that the code names, in one table, and how an error
// number becomes the caption and text of an error box. A command's menu text is string N for
// command N (model/command_ids.h), so commands need no entry here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qv {

enum UiString : uint32_t {
    kStrSubWindowItemBack = 5309,   // 5310's text while the SubWindow is shown
    kStrFullScreenItemLeave = 5531, // 5530's text in full screen
    // the filter tools' controls
    kStrFilterLevel = 1700, // noise reduction, focus, emboss
    kStrUnsharpAmount = 1701,
    kStrUnsharpThreshold = 1702,
    kStrSoftenModeFirst = 1703, // 1703-1705: the Soften modes 0-2
    kStrSoftenBox3 = 1706,      // the strength of each box
    kStrSoftenBox5 = 1707,
    kStrSoftenRadius = 1708,
    kStrMosaicWidth = 1709,
    kStrMosaicHeight = 1710,
    kStrMosaicSquare = 1711,
    kStrMosaicShift = 1712,
    kStrMosaicTiles = 1713,
    kStrJitterStrength = 1714,
    kStrJitterRange = 1715,
    kStrEmbossDirection = 1716,
    kStrEmbossColour = 1717,
    kStrUiFontFace = 20000,
    kStrColourCount = 20014,   // the colour count's message, before ": " and the number
    kStrUneditedImage = 20017, // the edit history's first step: the image before the first edit
    kStrListWindowTitle = 20015,
    kStrFilterJpegLossless = 20025, // the save dialog's lossless type
    kStrHistoryWindowTitle = 20420,
    kStrHistoryOpened = 20421, // the first step of the edit history: the image as opened
    kStrKeyColumnCommand = 20300,
    kStrKeyColumnKey = 20301,
    kStrKeyErrorCaption = 20302,
    kStrKeyTaken = 20303,
    kStrKeyNoKey = 20304,
    kStrKeyNoCommand = 20305,
    kStrKeyResetCaption = 20306,
    kStrKeyResetQuestion = 20307,
    kStrAboutSecondLine = 20410, // the About box's line under the version
    kStrExifNameHeading = 20402, // the EXIF dialog's columns
    kStrExifValueHeading = 20403,
    // comments and the PNG text list
    kStrTextKeywordHeading = 20400, // the text list's columns
    kStrTextValueHeading = 20401,
    // the SubWindow's rebar: tool bar labels, field labels and list items; the tool bar's tooltips
    // are the commands' own menu texts

    kStrBarOpen = 20440,
    kStrBarSaveAs = 20441,
    kStrBarSave = 20442,
    kStrBarPrevious = 20443,
    kStrBarNext = 20444,
    kStrBarFit = 20445,
    kStrBarActualSize = 20446,
    kStrBarFullScreen = 20447,
    kStrBarViewer = 20448,
    kStrBarSelection = 20449, // the four tool groups 5105-5108
    kStrBarSize = 20450,
    kStrBarColour = 20451,
    kStrBarEffects = 20452,
    kStrBarZoom = 20453,
    kStrBarFormat = 20454,
    kStrBarFormatFirst = 20455, // 20455-20460: the formats in the order of Format 0-5
    kStrBarQuality = 20461,
    kStrBarLimitSize = 20462,
    kStrBarKilobytes = 20463,
    kStrBarLevel = 20464,
    kStrBarGamma = 20465,
    kStrBarInterlace = 20466,
    kStrBarDither = 20467,
    kStrBarProgressive = 20468,
    kStrBarExifCopy = 20469,
    kStrBarTrim = 20470,
    kStrBarPreview = 20471,
    kStrBarSampling = 20472,
    kStrBarSamplingFirst = 20473, // 20473-20475: Sampling 0-2
    kStrBarMarkers = 20476,
    kStrBarMarkersFirst = 20477, // 20477-20479: JMarker 0-2
    // ---- geometry tools: their band labels (the preset lists' own texts are in tools/size_presets.h)
    kStrGeoWidth = 20132,
    kStrGeoHeight = 20133,
    kStrGeoIndependent = 20134, // Resize: the sides no longer follow the aspect ratio
    kStrGeoTop = 20135,
    kStrGeoBottom = 20136,
    kStrGeoLeft = 20137,
    kStrGeoRight = 20138,
    kStrGeoColour = 20139,
    kStrGeoAngle = 20140,
    kStrGeoVerticalLine = 20141, // Turn by angle: a drawn line becomes vertical instead of horizontal
    kStrGeoGrid = 20142,
    kStrGeoBackground = 20143,
    kStrGeoFreeRatio = 20144, // Trim: the ratio list's first entry, no ratio
    // the tone and colour tools' controls
    kStrToneRed = 20600,
    kStrToneGreen = 20601,
    kStrToneBlue = 20602,
    kStrToneLink = 20603,
    kStrToneReset = 20604,
    kStrToneShadows = 20605,
    kStrToneHighlights = 20606,
    kStrToneHue = 20607,
    kStrToneSaturation = 20608,
    kStrToneLightness = 20609,
    kStrToneNearColour = 20610,
    kStrToneRange = 20611,
    kStrToneFrom = 20612,
    kStrToneTo = 20613,
    kStrToneStrength = 20614,
    kStrToneFilterFirst = 20615, // 20615-20619: the colour filter's five colours
    kStrToneSync = 20620,
    kStrToneCommon = 20621,
    kStrToneChannelFirst = 20622, // 20622-20625: the levels channels blue, green, red, all
    kStrToneBlack = 20626,
    kStrToneWhite = 20627,
    kStrToneGamma = 20628,
    kStrHistogramTitle = 20629,
    kStrToneColour = 20630,
    kStrToneLevel = 20631,
    // the area selection's band: the mode list, the shapes, the check box and the two buttons
    kStrSelectModeFirst = 20053,  // 20053-20057: AreMode 0-4
    kStrSelectShapeFirst = 20058, // 20058-20062: AreType 0-4
    kStrSelectConnected = 20063,
    kStrSelectInvert = 20064,
    kStrSelectSmoothEdges = 20065,
    // text and image compositing: the default text and the bands' labels and lists
    kStrTextDefault = 20101, // DrtStr when none is stored
    kStrTextSize = 20760,
    kStrTextWeight = 20761,
    kStrTextItalic = 20762,
    kStrTextSpacing = 20763,
    kStrTextColour = 20764,
    kStrTextOpacity = 20765,
    kStrTextShadow = 20766,
    kStrTextShadowX = 20767,
    kStrTextShadowY = 20768,
    kStrTextShadowColour = 20769,
    kStrTextInputTitle = 20770, // the text input window's caption
    kStrMixModeFirst = 20771,   // 20771-20774: MixMode 0-3
    kStrMixOpacity = 20775,
    kStrMixTransparent = 20776,
    kStrMixColour = 20777,
    kStrMixOpenFile = 20778,  // the button that chooses the overlay's file
    kStrMixClipboard = 20779, // the button that takes the overlay from the clipboard
    // the brushes' bands: the size, opacity and fill of both, the correction brush's modes
    kStrBrushSize = 20700,
    kStrBrushOpacity = 20701,
    kStrBrushFill = 20702,
    kStrBrushModeFirst = 20703, // 20703-20710: DcbMode 0-7
    kStrFilterAllSupported = 21000,
    kStrFilterBmp = 21001,
    kStrFilterPng = 21002,
    kStrFilterJpeg = 21003,
    kStrFilterTiff = 21004,
    kStrFilterGif = 21005,
    kStrFilterAllFiles = 21006,
    kStrFilterPlugins = 21007,
    kStrFilterZip = 21008,
    kStrFilterRar = 21010,
    kStrLoadingTitle = 22000,
    kStrSavingTitle = 22001,
    kStrPreviewTitle = 22002,
    kStrUnsavedChanges = 22003,
    kStrReloadQuestion = 22004,
    kStrGeneralErrorCaption = 30000,
    kStrOutOfMemory = 30001,
    kStrCannotRead = 30002,
    kStrEmptyView = 30003,      // also "cannot be processed"
    kStrCannotProcess = 30003,  // a tool's buffers cannot be had, or its worker had to be stopped
    kStrNotTransformed = 30004, // a lossless turn or rewrite failed
    kStrChangedSinceLoad = 30005,
    kStrImageTooSmall = 30006, // a filter tool on an image under 5 x 5 pixels
    kStrNoTempFile = 30007,
    kStrCannotPlace = 30008, // the saved file could not be copied into place, or the target is the archive
    kStrProgramNotStarted = 30009,
    kStrCannotPrint = 30011,       // the printer cannot stretch bitmaps, or no memory for the 24-bit copy
    kStrHistoryNotWritten = 30012, // a snapshot file could not be created or written
    kStrHistoryNotRead = 30013,    // a snapshot could not be read back, or no memory for it
    kStrLastGeneralError = 30013,
    kStrImageErrorCaption = 50000,
    kStrImageErrorFirst = 50001,
    kStrImageErrorPrefix = 50007,
    kStrImageErrorLastPlain = 50010,
    kStrImageErrorLast = 50024,
};

// Dialog templates of the language module.
enum DialogTemplate : uint32_t {
    kDlgStartupInfo = 4500,
    kCtlStartupInfoDontShow = 4501,
    kDlgOptions = 3000,
    kDlgKeyConfig = 3700,
    kCtlKeyCommandList = 3710, // list view: command, shortcut
    kCtlKeyList = 3720,        // list box of the assignable keys
    kCtlKeyCtrl = 3730,
    kCtlKeyShift = 3731,
    kCtlKeyAssign = 3740,
    kCtlKeyRemove = 3741,
    kCtlKeyDefaults = 3742,
    kCtlKeyClose = 3743,
    kDlgWallpaper = 4080,
    kCtlWallpaperCentre = 4081, // then stretch 4082 and tile 4083
    kDlgPrint = 4100,
    kDlgPresets = 4300,           // Resize's sizes and Trim's ratios
    kCtlPresetFirstWidth = 4301,  // 4301-4308: the width of presets 1-8
    kCtlPresetFirstHeight = 4311, // 4311-4318: their heights
    kDlgSmoothEdges = 4200,       // the area selection's AreSmooth
    kCtlSmoothEdgesRadius = 4201,
    kCtlSmoothEdgesUpDown = 4202,
    // RAR archives: the password of an encrypted archive, its edit control 4401
    kDlgRarPassword = 4400,
};

// Caption and text for ErrorBox(n); `text(n)` loads string n (empty when missing). Numbers outside
// the error ranges give an empty caption and text.
void ComposeErrorBox(uint32_t n, const std::function<std::wstring(uint32_t)>& text, std::wstring* caption,
                     std::wstring* message);

} // namespace qv
