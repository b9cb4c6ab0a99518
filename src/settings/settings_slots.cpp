#include "settings/settings_slots.h"

#include <initializer_list>

#include "platform/win32_types.h"

namespace qv {

namespace {

constexpr FieldRef Fi(int32_t Settings::*f) {
    FieldRef r;
    r.integer = f;
    return r;
}
constexpr FieldRef Fb(bool Settings::*f) {
    FieldRef r;
    r.flag = f;
    return r;
}
constexpr FieldRef Fc(uint32_t Settings::*f) {
    FieldRef r;
    r.color = f;
    return r;
}
constexpr FieldRef Fs(std::wstring Settings::*f) {
    FieldRef r;
    r.text = f;
    return r;
}
constexpr FieldRef Fa(std::wstring (Settings::*f)[8], uint8_t index) {
    FieldRef r;
    r.textArray = f;
    r.index = index;
    return r;
}

constexpr SlotInfo Row(uint16_t slot, const wchar_t* section, const wchar_t* key, SlotKind kind, int32_t legacyDefault,
                       LoadRule rule, FieldRef field) {
    return SlotInfo{slot, section, key, nullptr, nullptr, kind, legacyDefault, rule, 0, 0, 0, {}, 0, field};
}
constexpr SlotInfo Flag(uint16_t slot, const wchar_t* section, const wchar_t* key, int32_t legacyDefault,
                        FieldRef field) {
    return Row(slot, section, key, SlotKind::Bool, legacyDefault, LoadRule::Bit0, field);
}
constexpr SlotInfo Text(uint16_t slot, const wchar_t* section, const wchar_t* key, FieldRef field) {
    return Row(slot, section, key, SlotKind::Text, 0, LoadRule::None, field);
}
constexpr SlotInfo Range(uint16_t slot, const wchar_t* section, const wchar_t* key, int32_t legacyDefault, int32_t lo,
                         int32_t hi, int32_t fallback, FieldRef field) {
    SlotInfo info = Row(slot, section, key, SlotKind::Int, legacyDefault, LoadRule::Range, field);
    info.lo = lo;
    info.hi = hi;
    info.fallback = fallback;
    return info;
}
constexpr SlotInfo OneOf(uint16_t slot, const wchar_t* section, const wchar_t* key, int32_t legacyDefault,
                         std::initializer_list<int32_t> kept, int32_t fallback, FieldRef field) {
    SlotInfo info = Row(slot, section, key, SlotKind::Int, legacyDefault, LoadRule::OneOf, field);
    for (int32_t value : kept)
        info.kept[info.keptCount++] = value;
    info.fallback = fallback;
    return info;
}
constexpr SlotInfo Negative(uint16_t slot, const wchar_t* section, const wchar_t* key, int32_t legacyDefault,
                            int32_t fallback, FieldRef field) {
    SlotInfo info = Row(slot, section, key, SlotKind::Int, legacyDefault, LoadRule::NegativeTo, field);
    info.fallback = fallback;
    return info;
}
constexpr SlotInfo Color3(uint16_t slot, const wchar_t* section, const wchar_t* keyR, const wchar_t* keyG,
                          const wchar_t* keyB, uint32_t legacyDefault, LoadRule rule, FieldRef field) {
    SlotInfo info = Row(slot, section, keyR, SlotKind::Color, static_cast<int32_t>(legacyDefault), rule, field);
    info.keyG = keyG;
    info.keyB = keyB;
    return info;
}
constexpr SlotInfo Tool(uint16_t slot, const wchar_t* section, const wchar_t* key, SlotKind kind,
                        int32_t legacyDefault) {
    return Row(slot, section, key, kind, legacyDefault, LoadRule::OwnerTool, {});
}
constexpr SlotInfo ToolColor3(uint16_t slot, const wchar_t* section, const wchar_t* keyR, const wchar_t* keyG,
                              const wchar_t* keyB, uint32_t legacyDefault) {
    return Color3(slot, section, keyR, keyG, keyB, legacyDefault, LoadRule::OwnerTool, {});
}

constexpr SlotInfo kSlotTable[kSettingsSlotCount] = {
    Text(0, L"Path", L"LangFile", Fs(&Settings::LangFile)),
    Row(1, L"Awin", L"Dual", SlotKind::Int, 0, LoadRule::NonZero, Fb(&Settings::Dual)),
    Range(2, L"Awin", L"Start", 0, 1, 2, 0, Fi(&Settings::Start)),
    Row(3, L"Awin", L"DClick", SlotKind::Int, 2, LoadRule::None, Fi(&Settings::DClick)),
    Row(4, L"Awin", L"LRClick", SlotKind::Int, 1, LoadRule::None, Fi(&Settings::LRClick)),
    Flag(5, L"Awin", L"Top", 0, Fb(&Settings::Top)),
    Flag(6, L"Awin", L"WheelRev", 0, Fb(&Settings::WheelRev)),
    Range(7, L"Awin", L"OptTab", 0, 0, 5, 0, Fi(&Settings::OptTab)),
    Flag(8, L"Awin", L"NoRecycMsg", 0, Fb(&Settings::NoRecycMsg)),
    Flag(9, L"Awin", L"MouseInfo", 1, Fb(&Settings::MouseInfo)),
    OneOf(10, L"Awin", L"FHeight", -12, {-14}, -12, Fi(&Settings::FHeight)),
    OneOf(11, L"Awin", L"FWeight", 400, {700}, 400, Fi(&Settings::FWeight)),
    Text(12, L"Path", L"APP0", Fa(&Settings::APP, 0)),
    Text(13, L"Path", L"APP1", Fa(&Settings::APP, 1)),
    Text(14, L"Path", L"APP2", Fa(&Settings::APP, 2)),
    Text(15, L"Path", L"APP3", Fa(&Settings::APP, 3)),
    Text(16, L"Path", L"APP4", Fa(&Settings::APP, 4)),
    Text(17, L"Path", L"APP5", Fa(&Settings::APP, 5)),
    Text(18, L"Path", L"APP6", Fa(&Settings::APP, 6)),
    Text(19, L"Path", L"APP7", Fa(&Settings::APP, 7)),
    Text(20, L"Path", L"AN0", Fa(&Settings::AN, 0)),
    Text(21, L"Path", L"AN1", Fa(&Settings::AN, 1)),
    Text(22, L"Path", L"AN2", Fa(&Settings::AN, 2)),
    Text(23, L"Path", L"AN3", Fa(&Settings::AN, 3)),
    Text(24, L"Path", L"AN4", Fa(&Settings::AN, 4)),
    Text(25, L"Path", L"AN5", Fa(&Settings::AN, 5)),
    Text(26, L"Path", L"AN6", Fa(&Settings::AN, 6)),
    Text(27, L"Path", L"AN7", Fa(&Settings::AN, 7)),
    Row(28, L"Path", L"Open", SlotKind::Text, 0, LoadRule::DocumentsFolder, Fs(&Settings::Open)),
    Text(29, L"Path", L"SPI", Fs(&Settings::SPI)),
    Row(30, L"Akey", L"SaveKey", SlotKind::Blob, 0, LoadRule::Accelerators, {}),
    OneOf(31, L"Vwin", L"SthMode", 4, {4}, 3, Fi(&Settings::SthMode)),
    Range(32, L"Vwin", L"BgColor", 2, 0, 4, 2, Fi(&Settings::BgColor)),
    Flag(33, L"Vwin", L"FitWin", 1, Fb(&Settings::FitWin)),
    Flag(34, L"Vwin", L"CapBar", 1, Fb(&Settings::CapBar)),
    Flag(35, L"Vwin", L"Frame", 1, Fb(&Settings::Frame)),
    Flag(36, L"Vwin", L"VTBar", 1, Fb(&Settings::VTBar)),
    Flag(37, L"Vwin", L"AutoNavi", 1, Fb(&Settings::AutoNavi)),
    Flag(38, L"Vwin", L"Repeat", 0, Fb(&Settings::Repeat)),
    Range(39, L"Vwin", L"Time", 1, 1, 60, 1, Fi(&Settings::Time)),
    Flag(40, L"Vwin", L"NMZoom", 0, Fb(&Settings::NMZoom)),
    Flag(41, L"Vwin", L"VSmall", 1, Fb(&Settings::VSmall)),
    Flag(42, L"Vwin", L"NVLarge", 0, Fb(&Settings::NVLarge)),
    Flag(43, L"Vwin", L"FLZoom", 0, Fb(&Settings::FLZoom)),
    Flag(44, L"Vwin", L"FSDown", 1, Fb(&Settings::FSDown)),
    Flag(45, L"Vwin", L"FSUp", 0, Fb(&Settings::FSUp)),
    Flag(46, L"Vwin", L"Wheel", 0, Fb(&Settings::Wheel)),
    Flag(47, L"Vwin", L"FSWheel", 0, Fb(&Settings::FSWheel)),
    Flag(48, L"Vwin", L"FSAreaZm", 1, Fb(&Settings::FSAreaZm)),
    Row(49, L"Vwin", L"x", SlotKind::Int, 0, LoadRule::None, Fi(&Settings::VwinX)),
    Row(50, L"Vwin", L"y", SlotKind::Int, 0, LoadRule::None, Fi(&Settings::VwinY)),
    Row(51, L"Vwin", L"w", SlotKind::Int, 820, LoadRule::None, Fi(&Settings::VwinW)),
    Row(52, L"Vwin", L"h", SlotKind::Int, 600, LoadRule::None, Fi(&Settings::VwinH)),
    Range(53, L"Swin", L"BgColor", 1, 0, 4, 1, Fi(&Settings::SwinBgColor)),
    Flag(54, L"Swin", L"SWZoom", 0, Fb(&Settings::SWZoom)),
    Flag(55, L"Swin", L"SWSmall", 1, Fb(&Settings::SWSmall)),
    Flag(56, L"Swin", L"SWLarge", 0, Fb(&Settings::SWLarge)),
    Flag(57, L"Swin", L"SWWheel", 0, Fb(&Settings::SWWheel)),
    Flag(58, L"Swin", L"SWAreaZm", 1, Fb(&Settings::SWAreaZm)),
    Flag(59, L"Swin", L"ScrlBar", 1, Fb(&Settings::ScrlBar)),
    Flag(60, L"Swin", L"NaviDisp", 0, Fb(&Settings::NaviDisp)),
    Flag(61, L"Swin", L"Max", 0, Fb(&Settings::SwinMax)),
    Row(62, L"Swin", L"x", SlotKind::Int, 200, LoadRule::None, Fi(&Settings::SwinX)),
    Row(63, L"Swin", L"y", SlotKind::Int, 100, LoadRule::None, Fi(&Settings::SwinY)),
    Row(64, L"Swin", L"w", SlotKind::Int, 820, LoadRule::None, Fi(&Settings::SwinW)),
    Row(65, L"Swin", L"h", SlotKind::Int, 600, LoadRule::None, Fi(&Settings::SwinH)),
    Row(66, L"Swin", L"RebarRow", SlotKind::Int, 2, LoadRule::None, Fi(&Settings::RebarRow)),
    Flag(67, L"LImg", L"Gamma", 1, Fb(&Settings::Gamma)),
    Row(68, L"LImg", L"DispGam", SlotKind::Int, 2200, LoadRule::None, Fi(&Settings::DispGam)),
    Flag(69, L"LImg", L"Alpha", 1, Fb(&Settings::Alpha)),
    Flag(70, L"LImg", L"FBG", 1, Fb(&Settings::FBG)),
    Color3(71, L"LImg", L"BGR", L"BGG", L"BGB", 0xFFFFFF, LoadRule::None, Fc(&Settings::BGColor)),
    Flag(72, L"LImg", L"AutoRot", 1, Fb(&Settings::AutoRot)),
    Range(73, L"SImg", L"Format", 0, 0, 5, 0, Fi(&Settings::Format)),
    OneOf(74, L"SImg", L"BmpDepth", 24, {1, 4, 8}, 24, Fi(&Settings::BmpDepth)),
    OneOf(75, L"SImg", L"PngDepth", 24, {1, 2, 4, 8}, 24, Fi(&Settings::PngDepth)),
    OneOf(76, L"SImg", L"TifDepth", 24, {1, 4, 8}, 24, Fi(&Settings::TifDepth)),
    Range(77, L"SImg", L"GifDepth", 24, 1, 7, 8, Fi(&Settings::GifDepth)),
    Flag(78, L"SImg", L"PngGray", 0, Fb(&Settings::PngGray)),
    Flag(79, L"SImg", L"JpgGray", 0, Fb(&Settings::JpgGray)),
    Flag(80, L"SImg", L"TifGray", 0, Fb(&Settings::TifGray)),
    Flag(81, L"SImg", L"JpegTGray", 0, Fb(&Settings::JpegTGray)),
    Flag(82, L"SImg", L"Dither", 16, Fb(&Settings::Dither)),
    Range(83, L"SImg", L"Level", 9, 0, 9, 9, Fi(&Settings::Level)),
    Range(84, L"SImg", L"Filter", 0, 0, 5, 0, Fi(&Settings::Filter)),
    Flag(85, L"SImg", L"Interlace", 0, Fb(&Settings::Interlace)),
    Flag(86, L"SImg", L"Gamma", 0, Fb(&Settings::SImgGamma)),
    Negative(87, L"SImg", L"SaveGam", 2200, 2200, Fi(&Settings::SaveGam)),
    Color3(88, L"SImg", L"AlphaR", L"AlphaG", L"AlphaB", 0xFFFFFF, LoadRule::None, Fc(&Settings::AlphaColor)),
    Range(89, L"SImg", L"Quality", 75, 1, 100, 75, Fi(&Settings::Quality)),
    Range(90, L"SImg", L"Sampling", 0, 0, 2, 0, Fi(&Settings::Sampling)),
    Flag(91, L"SImg", L"Progressive", 0, Fb(&Settings::Progressive)),
    Flag(92, L"SImg", L"ExifCopy", 0, Fb(&Settings::ExifCopy)),
    Range(93, L"SImg", L"JMarker", 2, 0, 2, 2, Fi(&Settings::JMarker)),
    Flag(94, L"SImg", L"JpgTrim", 1, Fb(&Settings::JpgTrim)),
    Flag(95, L"SImg", L"JpgLimit", 0, Fb(&Settings::JpgLimit)),
    Row(96, L"SImg", L"JpgLmtVal", SlotKind::Int, 100, LoadRule::None, Fi(&Settings::JpgLmtVal)),
    Tool(97, L"ImgA", L"AreMode", SlotKind::Int, 0),
    Tool(98, L"ImgA", L"AreType", SlotKind::Int, 4),
    Tool(99, L"ImgA", L"AreSize", SlotKind::Int, 24),
    Tool(100, L"ImgA", L"AreRange", SlotKind::Int, 50),
    Tool(101, L"ImgA", L"AreUnit", SlotKind::Bool, 1),
    Tool(102, L"ImgA", L"AreSmooth", SlotKind::Int, 1),
    ToolColor3(103, L"ImgC", L"HlsColR", L"HlsColG", L"HlsColB", 0xFFFFFF),
    Tool(104, L"ImgC", L"HlsRange", SlotKind::Int, 50),
    ToolColor3(105, L"ImgC", L"RpcCol0R", L"RpcCol0G", L"RpcCol0B", MakeColor(96, 160, 255)),
    ToolColor3(106, L"ImgC", L"RpcCol1R", L"RpcCol1G", L"RpcCol1B", MakeColor(255, 0, 128)),
    Tool(107, L"ImgC", L"RpcRange", SlotKind::Int, 75),
    Tool(108, L"ImgC", L"RpcLevel", SlotKind::Int, 100),
    Tool(109, L"ImgC", L"PstLevel", SlotKind::Int, 100),
    Tool(110, L"ImgC", L"LnsColNum", SlotKind::Int, 0),
    Tool(111, L"ImgC", L"LnsColor0", SlotKind::Color, 0x144270),
    Tool(112, L"ImgC", L"LnsColor1", SlotKind::Color, 0x0080FF),
    Tool(113, L"ImgC", L"LnsColor2", SlotKind::Color, 0x80FFFF),
    Tool(114, L"ImgC", L"LnsColor3", SlotKind::Color, 0x800000),
    Tool(115, L"ImgC", L"LnsColor4", SlotKind::Color, 0xFFFF80),
    Tool(116, L"ImgC", L"PstLevelB", SlotKind::Int, 5),
    Tool(117, L"ImgC", L"PstLevelG", SlotKind::Int, 5),
    Tool(118, L"ImgC", L"PstLevelR", SlotKind::Int, 5),
    Tool(119, L"ImgC", L"PstLevelC", SlotKind::Int, 5),
    Tool(120, L"ImgC", L"PstSYNC", SlotKind::Int, 1),
    Tool(121, L"ImgD", L"DpbSize", SlotKind::Int, 24),
    Tool(122, L"ImgD", L"DpbAlpha", SlotKind::Int, 50),
    ToolColor3(123, L"ImgD", L"DpbColR", L"DpbColG", L"DpbColB", 0xFFFFFF),
    Tool(124, L"ImgD", L"DcbMode", SlotKind::Int, 2),
    Tool(125, L"ImgD", L"DcbSize", SlotKind::Int, 24),
    Tool(126, L"ImgD", L"DcbGamUp", SlotKind::Int, 20),
    Tool(127, L"ImgD", L"DcbGamDn", SlotKind::Int, 20),
    Tool(128, L"ImgD", L"DcbHlsUp", SlotKind::Int, 50),
    Tool(129, L"ImgD", L"DcbHlsDn", SlotKind::Int, 50),
    Tool(130, L"ImgD", L"DcbSharp", SlotKind::Int, 100),
    Tool(131, L"ImgD", L"DcbSoft", SlotKind::Int, 100),
    Tool(132, L"ImgF", L"UsmLevel", SlotKind::Int, 3),
    Tool(133, L"ImgF", L"UsmRange", SlotKind::Int, 20),
    Tool(134, L"ImgF", L"SftMode", SlotKind::Int, 0),
    Tool(135, L"ImgF", L"Sft3", SlotKind::Int, 0),
    Tool(136, L"ImgF", L"Sft5", SlotKind::Int, 0),
    Tool(137, L"ImgF", L"SftG", SlotKind::Int, 0),
    Tool(138, L"ImgF", L"FcsLevel", SlotKind::Int, 100),
    Tool(139, L"ImgF", L"NsrLevel", SlotKind::Int, 255),
    Tool(140, L"ImgF", L"MosSync", SlotKind::Int, 1),
    Tool(141, L"ImgF", L"MosBlockW", SlotKind::Int, 10),
    Tool(142, L"ImgF", L"MosBlockH", SlotKind::Int, 10),
    Tool(143, L"ImgF", L"MosShift", SlotKind::Int, 0),
    Tool(144, L"ImgF", L"MosTile", SlotKind::Int, 0),
    Tool(145, L"ImgF", L"JitLevel", SlotKind::Int, 80),
    Tool(146, L"ImgF", L"JitRange", SlotKind::Int, 20),
    Tool(147, L"ImgF", L"EmbLine", SlotKind::Int, 0),
    Tool(148, L"ImgF", L"EmbLevel", SlotKind::Int, 1),
    Tool(149, L"ImgF", L"EmbColor", SlotKind::Int, 0),
    Tool(150, L"ImgS", L"TrmR1W", SlotKind::Int, 1024),
    Tool(151, L"ImgS", L"TrmR2W", SlotKind::Int, 1),
    Tool(152, L"ImgS", L"TrmR3W", SlotKind::Int, 0),
    Tool(153, L"ImgS", L"TrmR4W", SlotKind::Int, 0),
    Tool(154, L"ImgS", L"TrmR5W", SlotKind::Int, 0),
    Tool(155, L"ImgS", L"TrmR6W", SlotKind::Int, 0),
    Tool(156, L"ImgS", L"TrmR7W", SlotKind::Int, 0),
    Tool(157, L"ImgS", L"TrmR8W", SlotKind::Int, 0),
    Tool(158, L"ImgS", L"TrmR1H", SlotKind::Int, 768),
    Tool(159, L"ImgS", L"TrmR2H", SlotKind::Int, 1),
    Tool(160, L"ImgS", L"TrmR3H", SlotKind::Int, 0),
    Tool(161, L"ImgS", L"TrmR4H", SlotKind::Int, 0),
    Tool(162, L"ImgS", L"TrmR5H", SlotKind::Int, 0),
    Tool(163, L"ImgS", L"TrmR6H", SlotKind::Int, 0),
    Tool(164, L"ImgS", L"TrmR7H", SlotKind::Int, 0),
    Tool(165, L"ImgS", L"TrmR8H", SlotKind::Int, 0),
    Tool(166, L"ImgS", L"TrmRSel", SlotKind::Int, 0),
    Tool(167, L"ImgS", L"RszP1W", SlotKind::Int, 1024),
    Tool(168, L"ImgS", L"RszP2W", SlotKind::Int, 240),
    Tool(169, L"ImgS", L"RszP3W", SlotKind::Int, 0),
    Tool(170, L"ImgS", L"RszP4W", SlotKind::Int, 0),
    Tool(171, L"ImgS", L"RszP5W", SlotKind::Int, 0),
    Tool(172, L"ImgS", L"RszP6W", SlotKind::Int, 0),
    Tool(173, L"ImgS", L"RszP7W", SlotKind::Int, 0),
    Tool(174, L"ImgS", L"RszP8W", SlotKind::Int, 0),
    Tool(175, L"ImgS", L"RszP1H", SlotKind::Int, 768),
    Tool(176, L"ImgS", L"RszP2H", SlotKind::Int, 0),
    Tool(177, L"ImgS", L"RszP3H", SlotKind::Int, 120),
    Tool(178, L"ImgS", L"RszP4H", SlotKind::Int, 0),
    Tool(179, L"ImgS", L"RszP5H", SlotKind::Int, 0),
    Tool(180, L"ImgS", L"RszP6H", SlotKind::Int, 0),
    Tool(181, L"ImgS", L"RszP7H", SlotKind::Int, 0),
    Tool(182, L"ImgS", L"RszP8H", SlotKind::Int, 0),
    Tool(183, L"ImgS", L"TurGrid", SlotKind::Int, 1),
    Tool(184, L"ImgS", L"TurVLine", SlotKind::Int, 0),
    ToolColor3(185, L"ImgS", L"TurBgR", L"TurBgG", L"TurBgB", 0xFFFFFF),
    Tool(186, L"ImgS", L"MgnT", SlotKind::Int, 0),
    Tool(187, L"ImgS", L"MgnB", SlotKind::Int, 0),
    Tool(188, L"ImgS", L"MgnL", SlotKind::Int, 0),
    Tool(189, L"ImgS", L"MgnR", SlotKind::Int, 0),
    Tool(190, L"ImgS", L"MgnBgCol", SlotKind::Color, 0xFFFFFF),
    Tool(191, L"ImgT", L"DrtStr", SlotKind::Text, 0),
    Tool(192, L"ImgT", L"DrtFaceS", SlotKind::Text, 0),
    ToolColor3(193, L"ImgT", L"DrtColR", L"DrtColG", L"DrtColB", 0xFFFFFF),
    Tool(194, L"ImgT", L"DrtAlpha", SlotKind::Int, 70),
    Tool(195, L"ImgT", L"DrtSize", SlotKind::Int, 36),
    Tool(196, L"ImgT", L"DrtWeight", SlotKind::Int, 400),
    Tool(197, L"ImgT", L"DrtItalic", SlotKind::Int, 0),
    Tool(198, L"ImgT", L"DrtSpace", SlotKind::Int, 0),
    Tool(199, L"ImgT", L"DrtShadow", SlotKind::Int, 1),
    Tool(200, L"ImgT", L"DrtShdX", SlotKind::Int, 2),
    Tool(201, L"ImgT", L"DrtShdY", SlotKind::Int, 2),
    ToolColor3(202, L"ImgT", L"DrtShdR", L"DrtShdG", L"DrtShdB", 0x000000),
    Tool(203, L"ImgT", L"MixMode", SlotKind::Int, 0),
    Tool(204, L"ImgT", L"MixAlpha", SlotKind::Int, 100),
    Tool(205, L"ImgT", L"MixTrans", SlotKind::Int, 0),
    ToolColor3(206, L"ImgT", L"MixColR", L"MixColG", L"MixColB", 0xFFFFFF),
    Row(207, nullptr, nullptr, SlotKind::Bool, 1, LoadRule::Bit0, Fb(&Settings::AskSaveOnlyInSubWindow)),
    Row(208, nullptr, nullptr, SlotKind::Blob, 0, LoadRule::NameList, {}),
    Row(209, nullptr, nullptr, SlotKind::Int, 0, LoadRule::None, Fi(&Settings::SortOrder))};

constexpr bool RowsAreInSlotOrder() {
    for (uint32_t i = 0; i < kSettingsSlotCount; ++i)
        if (kSlotTable[i].slot != i) return false;
    return true;
}
static_assert(RowsAreInSlotOrder(), "row i of the slot table must describe slot i");

} // namespace

const SlotInfo* SlotTable() {
    return kSlotTable;
}

const SlotInfo& SlotInfoOf(uint32_t slot) {
    return kSlotTable[slot < kSettingsSlotCount ? slot : 0];
}

int32_t ApplyLoadRule(const SlotInfo& info, int32_t value) {
    switch (info.rule) {
    case LoadRule::NonZero: return value != 0 ? 1 : 0;
    case LoadRule::Bit0: return value & 1;
    case LoadRule::Range: return value >= info.lo && value <= info.hi ? value : info.fallback;
    case LoadRule::OneOf:
        for (uint8_t i = 0; i < info.keptCount; ++i)
            if (info.kept[i] == value) return value;
        return info.fallback;
    case LoadRule::NegativeTo: return value < 0 ? info.fallback : value;
    default: return value;
    }
}

} // namespace qv
