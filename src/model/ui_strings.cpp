#include "model/ui_strings.h"

namespace qv {

namespace {

std::wstring Cut(std::wstring text, size_t chars) {
    if (text.size() > chars) text.resize(chars);
    return text;
}

} // namespace

void ComposeErrorBox(uint32_t n, const std::function<std::wstring(uint32_t)>& text, std::wstring* caption,
                     std::wstring* message) {
    caption->clear();
    message->clear();
    // Buffers of 260 and 128 characters including the terminator.
    if (n > kStrGeneralErrorCaption && n <= kStrLastGeneralError) {
        *caption = text(kStrGeneralErrorCaption);
        *message = Cut(text(n), 259);
    } else if (n >= kStrImageErrorFirst && n <= kStrImageErrorLastPlain) {
        *caption = text(kStrImageErrorCaption);
        *message = Cut(text(n), 259);
    } else if (n > kStrImageErrorLastPlain && n <= kStrImageErrorLast) {
        *caption = text(kStrImageErrorCaption);
        *message = Cut(text(kStrImageErrorPrefix) + text(n), 127);
    }
}

} // namespace qv
