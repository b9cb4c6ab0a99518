#include "viewer/window_title.h"

#include "sources/file_list.h"

namespace qv {

std::wstring FormatLetters(const TitleFacts& f) {
    std::wstring letters;
    auto add = [&](bool on, wchar_t letter) {
        if (on) letters += letter;
    };
    switch (f.sourceFormat) {
    case kFormatPng:
        add(f.info.interlaced, L'I');
        add(f.info.transparency, L'A');
        add(f.info.textPresent != 0, L'T');
        break;
    case kFormatJpeg:
        add(f.info.interlaced, L'P');
        add(f.info.commentPresent != 0, L'C');
        add(f.info.exifPresent || f.info.textPresent != 0, L'E');
        add(f.autoRotate && f.info.orientation != 1, L'R');
        break;
    case kFormatTiff: add(f.info.commentPresent != 0, L'C'); break;
    case kFormatGif:
        add(f.info.interlaced, L'I');
        add(f.info.transparency, L'A');
        add(f.info.commentPresent != 0, L'C');
        break;
    default: break;
    }
    return letters;
}

std::wstring FailedLoadTitle(const std::wstring& path, const std::wstring& memberPath) {
    return memberPath.empty() ? path : path + kMemberSeparator + memberPath;
}

std::wstring ComposeWindowTitle(const TitleFacts& f) {
    if (!f.hasImage) return L"Quorvel";
    std::wstring title = f.fileName;
    if (!f.memberPath.empty()) title += kMemberSeparator + f.memberPath;
    if (f.modified) title += L'*';
    title += L"  ( ";
    std::wstring letters = FormatLetters(f);
    if (!letters.empty()) title += letters + L"  ";
    title += std::to_wstring(f.width) + L'x' + std::to_wstring(f.height) + L"  ";
    title += std::to_wstring(f.bitsPerPixel) + L"bit  ";
    title += std::to_wstring(f.fileSize / 1024) + L'.' + std::to_wstring((f.fileSize % 1024) * 10 / 1024);
    title += L"KB )";
    return title;
}

} // namespace qv
