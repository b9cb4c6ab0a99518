#include "viewer/open_filter.h"

#include "model/ui_strings.h"

namespace qv {

std::wstring BuildOpenFilter(const std::function<std::wstring(uint32_t)>& text, bool rarPresent,
                             const std::vector<std::wstring>& pluginPatterns) {
    std::wstring plugins;
    for (const std::wstring& p : pluginPatterns) {
        if (p.empty() || p.size() >= 259) continue; // the dialog cannot take longer patterns
        if (!plugins.empty()) plugins += L';';
        plugins += p;
    }
    std::wstring all = L"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif;*.zip";
    if (rarPresent) all += L";*.rar";
    if (!plugins.empty()) all += L';' + plugins;

    std::wstring filter;
    auto add = [&](const std::wstring& label, const std::wstring& patterns) {
        filter += label;
        filter += L'\0';
        filter += patterns;
        filter += L'\0';
    };
    add(text(kStrFilterAllSupported), all);
    add(text(kStrFilterBmp), L"*.bmp");
    add(text(kStrFilterPng), L"*.png");
    add(text(kStrFilterJpeg), L"*.jpg;*.jpe;*.jpeg");
    add(text(kStrFilterTiff), L"*.tif;*.tiff");
    add(text(kStrFilterGif), L"*.gif");
    add(text(kStrFilterZip), L"*.zip");
    if (rarPresent) add(text(kStrFilterRar), L"*.rar");
    if (!plugins.empty()) add(text(kStrFilterPlugins) + L" (" + plugins + L")", plugins);
    add(text(kStrFilterAllFiles), L"*.*");
    filter += L'\0';
    return filter;
}

} // namespace qv
