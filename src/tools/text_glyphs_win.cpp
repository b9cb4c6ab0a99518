#include "tools/text_glyphs_win.h"

#include <algorithm>

namespace qv {

namespace {

struct MemoryDc {
    HDC dc = CreateCompatibleDC(nullptr);
    ~MemoryDc() {
        if (dc) DeleteDC(dc);
    }
};

struct FontHandle {
    HFONT font = nullptr;
    ~FontHandle() {
        if (font) DeleteObject(font);
    }
};

int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) {
    if (font->lfFaceName[0] != L'@') reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(font->lfFaceName);
    return 1;
}

} // namespace

int32_t TextFontHeight(int32_t pixelsPerInch, int32_t size) {
    return static_cast<int32_t>(-(int64_t{pixelsPerInch} * size) / 72);
}

bool FetchTextGlyphs(const std::wstring& text, const TextFont& font, TextGlyphs* glyphs) {
    glyphs->glyphs.clear();
    glyphs->ascent = 0;
    MemoryDc memory;
    if (memory.dc == nullptr) return false;
    LOGFONTW lf{};
    lf.lfHeight = TextFontHeight(GetDeviceCaps(memory.dc, LOGPIXELSY), font.size);
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    const size_t chars = std::min(font.face.size(), kTextFaceChars);
    std::copy_n(font.face.c_str(), chars, lf.lfFaceName);
    FontHandle handle{CreateFontIndirectW(&lf)};
    if (handle.font == nullptr) return false;
    HGDIOBJ old = SelectObject(memory.dc, handle.font);
    TEXTMETRICW metrics{};
    bool ok = GetTextMetricsW(memory.dc, &metrics) != FALSE;
    glyphs->ascent = metrics.tmAscent;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (size_t i = 0; ok && i < text.size(); ++i) {
        Glyph g;
        GLYPHMETRICS gm{};
        const UINT ch = text[i];
        DWORD bytes = GetGlyphOutlineW(memory.dc, ch, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
        if (bytes == GDI_ERROR) {
            ok = false;
            break;
        }
        g.originX = gm.gmptGlyphOrigin.x;
        g.originY = gm.gmptGlyphOrigin.y;
        g.advance = gm.gmCellIncX;
        if (bytes > 0) {
            g.width = static_cast<int32_t>(gm.gmBlackBoxX);
            g.height = static_cast<int32_t>(gm.gmBlackBoxY);
            g.pitch = (gm.gmBlackBoxX + 3) & ~3u;
            // the service's rows are padded to 4 bytes; a size that disagrees is a glyph we cannot use
            if (static_cast<uint64_t>(g.pitch) * gm.gmBlackBoxY > bytes) {
                ok = false;
                break;
            }
            g.bits.resize(bytes);
            if (GetGlyphOutlineW(memory.dc, ch, GGO_GRAY8_BITMAP, &gm, bytes, g.bits.data(), &identity) == GDI_ERROR) {
                ok = false;
                break;
            }
        }
        glyphs->glyphs.push_back(std::move(g));
    }
    SelectObject(memory.dc, old);
    if (!ok) glyphs->glyphs.clear();
    return ok;
}

std::vector<std::wstring> InstalledFontFaces() {
    std::vector<std::wstring> faces;
    MemoryDc memory;
    if (memory.dc == nullptr) return faces;
    LOGFONTW any{};
    any.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(memory.dc, &any, AddFace, reinterpret_cast<LPARAM>(&faces), 0);
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}

} // namespace qv
