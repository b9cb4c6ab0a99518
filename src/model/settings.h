// The process-wide Settings record (filled from the settings file at start-up, written back at
// shutdown) and the slot numbers other code names directly. The file format and the load rules
// are settings/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

enum SettingsSlotNumber : uint32_t {
    kSlotLangFile = 0,
    kSlotDual = 1,
    kSlotStart = 2,
    kSlotTop = 5,
    kSlotMouseInfo = 9,
    kSlotFHeight = 10,
    kSlotFWeight = 11,
    kSlotApp0 = 12,
    kSlotAn0 = 20,
    kSlotOpen = 28,
    kSlotSpi = 29,
    kSlotSaveKey = 30,
    kSlotSthMode = 31,
    kSlotBgColor = 32,
    kSlotFitWin = 33,
    kSlotCapBar = 34,
    kSlotFrame = 35,
    kSlotRepeat = 38,
    kSlotTime = 39,
    kSlotVwinX = 49, // 49-52: ViewWindow x, y, w, h
    kSlotSwinMax = 61,
    kSlotSwinX = 62, // 62-65: SubWindow x, y, w, h
    kSlotRebarRow = 66,
    kSlotFormat = 73,
    kSlotQuality = 89,
    kSlotFirstToolSlot = 97,
    kSlotLastToolSlot = 206,
    kSlotAskSaveOnlyInSubWindow = 207,
    kSlotPluginNames = 208,
    kSlotSortOrder = 209,
};

constexpr uint32_t kMaxAcceleratorBlobBytes = 732; // 122 records of 6 bytes

// One field per slot 0-96 and 207-209, named after the slot's key (section prefix where two
// sections share a key). Booleans keep bit 0 of the stored value.
struct Settings {
    std::wstring LangFile;                 // 0
    bool Dual = false;                     // 1
    int32_t Start = 0;                     // 2
    int32_t DClick = 2;                    // 3
    int32_t LRClick = 1;                   // 4
    bool Top = false;                      // 5
    bool WheelRev = false;                 // 6
    int32_t OptTab = 0;                    // 7
    bool NoRecycMsg = false;               // 8
    bool MouseInfo = true;                 // 9
    int32_t FHeight = -12;                 // 10
    int32_t FWeight = 400;                 // 11
    std::wstring APP[8];                   // 12-19
    std::wstring AN[8];                    // 20-27
    std::wstring Open;                     // 28
    std::wstring SPI;                      // 29
    std::string SaveKey;                   // 30: raw ACCEL records, 6 bytes each; empty = defaults
    int32_t SthMode = 4;                   // 31
    int32_t BgColor = 2;                   // 32
    bool FitWin = true;                    // 33
    bool CapBar = true;                    // 34
    bool Frame = true;                     // 35
    bool VTBar = true;                     // 36
    bool AutoNavi = true;                  // 37
    bool Repeat = false;                   // 38
    int32_t Time = 1;                      // 39
    bool NMZoom = false;                   // 40
    bool VSmall = true;                    // 41
    bool NVLarge = false;                  // 42
    bool FLZoom = false;                   // 43
    bool FSDown = true;                    // 44
    bool FSUp = false;                     // 45
    bool Wheel = false;                    // 46
    bool FSWheel = false;                  // 47
    bool FSAreaZm = true;                  // 48
    int32_t VwinX = 0;                     // 49
    int32_t VwinY = 0;                     // 50
    int32_t VwinW = 820;                   // 51
    int32_t VwinH = 600;                   // 52
    int32_t SwinBgColor = 1;               // 53
    bool SWZoom = false;                   // 54
    bool SWSmall = true;                   // 55
    bool SWLarge = false;                  // 56
    bool SWWheel = false;                  // 57
    bool SWAreaZm = true;                  // 58
    bool ScrlBar = true;                   // 59
    bool NaviDisp = false;                 // 60
    bool SwinMax = false;                  // 61
    int32_t SwinX = 200;                   // 62
    int32_t SwinY = 100;                   // 63
    int32_t SwinW = 820;                   // 64
    int32_t SwinH = 600;                   // 65
    int32_t RebarRow = 2;                  // 66
    bool Gamma = true;                     // 67
    int32_t DispGam = 2200;                // 68
    bool Alpha = true;                     // 69
    bool FBG = true;                       // 70
    uint32_t BGColor = 0xFFFFFF;           // 71 (keys BGR, BGG, BGB)
    bool AutoRot = true;                   // 72
    int32_t Format = 0;                    // 73
    int32_t BmpDepth = 24;                 // 74
    int32_t PngDepth = 24;                 // 75
    int32_t TifDepth = 24;                 // 76
    int32_t GifDepth = 8;                  // 77
    bool PngGray = false;                  // 78
    bool JpgGray = false;                  // 79
    bool TifGray = false;                  // 80
    bool JpegTGray = false;                // 81
    bool Dither = false;                   // 82
    int32_t Level = 9;                     // 83
    int32_t Filter = 0;                    // 84
    bool Interlace = false;                // 85
    bool SImgGamma = false;                // 86
    int32_t SaveGam = 2200;                // 87
    uint32_t AlphaColor = 0xFFFFFF;        // 88 (keys AlphaR, AlphaG, AlphaB)
    int32_t Quality = 75;                  // 89
    int32_t Sampling = 0;                  // 90
    bool Progressive = false;              // 91
    bool ExifCopy = false;                 // 92
    int32_t JMarker = 2;                   // 93
    bool JpgTrim = true;                   // 94
    bool JpgLimit = false;                 // 95
    int32_t JpgLmtVal = 100;               // 96
    bool AskSaveOnlyInSubWindow = true;    // 207
    std::vector<std::wstring> PluginNames; // 208
    int32_t SortOrder = 0;                 // 209
};

// The program's one record. Start-up loads it from the settings file and shutdown writes it back
// (app/); in between a setting is written only by the command, control or dialog that offers it,
// and read by anyone. Tests and quorvel-cli keep records of their own.
extern Settings g_settings;

} // namespace qv
