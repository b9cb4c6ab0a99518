// The glyphs of a string from the system's font service: a logical font of the face, size,
// weight and italic flag, its ascent, and each character's grey 8-bit coverage bitmap with its
// metrics, ready for DrawTextGlyphs (tools/text_kernel.h). Used by the text tool and by
// quorvel-cli's `--text`. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/text_kernel.h"

namespace qv {

constexpr size_t kTextFaceChars = 31; // LOGFONTW keeps 31 characters of a face name and its end

struct TextFont {
    std::wstring face;
    int32_t size = 36; // points
    int32_t weight = FW_NORMAL;
    bool italic = false;
};

// The font's height in pixels for LOGFONTW: -(LOGPIXELSY x size) / 72, toward zero.
int32_t TextFontHeight(int32_t pixelsPerInch, int32_t size);

// False when the font cannot be made or any character's glyph cannot be fetched (the tool shows
// 30001 and draws nothing); `glyphs` is then empty.
bool FetchTextGlyphs(const std::wstring& text, const TextFont& font, TextGlyphs* glyphs);

// The installed font families' names, sorted, each once (faces for vertical writing, which start
// with "@", left out).
std::vector<std::wstring> InstalledFontFaces();

} // namespace qv
