#include "ui/dialog_template.h"

namespace qv {

namespace {

// A bounds-checked cursor over the template.
struct Walker {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool ok = true;

    uint16_t Word() {
        if (size - at < 2 || at > size) {
            ok = false;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
        at += 2;
        return v;
    }
    uint32_t Dword() {
        uint32_t lo = Word();
        return lo | (static_cast<uint32_t>(Word()) << 16);
    }
    void Skip(size_t n) {
        if (at > size || size - at < n)
            ok = false;
        else
            at += n;
    }
    void String() {
        while (ok && Word() != 0) {
        }
    }
    // An ordinal (0xFFFF and one word), nothing (0), or a NUL-terminated string.
    void StringOrOrdinal() {
        uint16_t first = Word();
        if (!ok || first == 0) return;
        if (first == 0xFFFF) {
            Word();
            return;
        }
        String();
    }
    void AlignTo4() {
        size_t aligned = (at + 3) & ~size_t{3};
        if (aligned > size) {
            ok = false;
            return;
        }
        at = aligned;
    }
};

} // namespace

bool MeasureDialogTemplate(const uint8_t* data, size_t size, DialogTemplateFacts* facts) {
    if (!data) return false;
    Walker w{data, size};
    uint16_t version = w.Word();
    uint16_t signature = w.Word();
    if (!w.ok || version != 1 || signature != 0xFFFF) return false;
    w.Dword(); // help id
    w.Dword(); // extended style
    uint32_t style = w.Dword();
    if (!w.ok || !(style & kDialogStyleSetFont)) return false;
    facts->itemCount = w.Word();
    w.Skip(8);           // x, y, cx, cy
    w.StringOrOrdinal(); // menu
    w.StringOrOrdinal(); // class
    w.String();          // title
    facts->pointSizeOffset = w.at;
    w.Word();   // point size
    w.Word();   // weight
    w.Skip(2);  // italic, character set
    w.String(); // face name
    size_t end = w.at;
    for (uint16_t i = 0; w.ok && i < facts->itemCount; ++i) {
        w.AlignTo4();
        w.Skip(24);          // help id, extended style, style, x, y, cx, cy, id
        w.StringOrOrdinal(); // class
        w.StringOrOrdinal(); // title
        uint16_t extra = w.Word();
        w.Skip(extra);
        end = w.at;
    }
    if (!w.ok) return false;
    facts->length = end;
    return true;
}

uint16_t DialogPointSize(int32_t fontHeight) {
    return fontHeight == -14 ? 11 : 9;
}

bool CopyDialogTemplate(const uint8_t* data, size_t size, int32_t fontHeight, std::vector<uint8_t>* copy) {
    DialogTemplateFacts facts;
    if (!MeasureDialogTemplate(data, size, &facts)) return false;
    copy->assign(data, data + facts.length);
    uint16_t points = DialogPointSize(fontHeight);
    (*copy)[facts.pointSizeOffset] = static_cast<uint8_t>(points);
    (*copy)[facts.pointSizeOffset + 1] = static_cast<uint8_t>(points >> 8);
    return true;
}

} // namespace qv
