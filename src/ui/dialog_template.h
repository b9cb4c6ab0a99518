// Walking an extended dialog template (DLGTEMPLATEEX) taken from the language module: its length,
// the DS_SETFONT check and the point-size patch that follows the UI font height.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

constexpr uint32_t kDialogStyleSetFont = 0x40; // DS_SETFONT

struct DialogTemplateFacts {
    size_t length = 0;          // bytes up to the end of the last item
    size_t pointSizeOffset = 0; // the font's point size field
    uint16_t itemCount = 0;
};

// False when the bytes are not an extended template, lack DS_SETFONT, or any part runs past `size`.
bool MeasureDialogTemplate(const uint8_t* data, size_t size, DialogTemplateFacts* facts);

// 11 points for the large UI font (height -14), otherwise 9.
uint16_t DialogPointSize(int32_t fontHeight);

// A measured copy with the point size set for `fontHeight`; false as MeasureDialogTemplate.
bool CopyDialogTemplate(const uint8_t* data, size_t size, int32_t fontHeight, std::vector<uint8_t>* copy);

} // namespace qv
