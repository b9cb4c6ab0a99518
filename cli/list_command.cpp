// `list PATH [--sort name|date|size] [--all] [--plugins DIR]`: the entries a folder or archive gives the
// viewer, in the viewer's order, one line each: key, size, time and name. `--all` lists every
// member of an archive in the archive's own order, images or not (directories aside), so that
// the listing can be compared with other archive tools.
#include <cstdio>
#include <string>

#include "cli_command.h"
#include "sources/extension_class.h"
#include "sources/file_list.h"

namespace {

// 100-ns ticks since 1601 as "YYYY-MM-DD hh:mm:ss" (the clock the source stores).
std::wstring FormatTime(const FILETIME& t) {
    uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    uint64_t secs = ticks / 10000000u;
    int64_t days = static_cast<int64_t>(secs / 86400) - 134774; // 1601-01-01 to 1970-01-01
    uint32_t rest = static_cast<uint32_t>(secs % 86400);
    // civil date from days since 1970-01-01
    int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9, y = yoe + era * 400 + (m <= 2);
    wchar_t text[40];
    std::swprintf(text, 40, L"%04lld-%02lld-%02lld %02u:%02u:%02u", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d), rest / 3600, rest / 60 % 60, rest % 60);
    return text;
}

std::wstring Line(const qv::FileEntry& e, const std::wstring& name) {
    return std::to_wstring(e.key) + L"\t" + std::to_wstring(e.size) + L"\t" + FormatTime(e.time) + L"\t" + name + L"\n";
}

int ListAllMembers(const std::wstring& path) {
    qv::ArchiveListing listing;
    int32_t kind = 0;
    if (!qv::ListAnyArchive(path, &listing, &kind)) {
        qvcli::PrintError(L"no members listed: " + path);
        return 1;
    }
    std::wstring text;
    for (uint32_t i = 0; i < listing.count; ++i) {
        const qv::FileEntry& e = listing.entries[i];
        if (!e.name.empty()) text += Line(e, e.innerFolder.str() + e.name.str());
    }
    qvcli::Print(text);
    return 0;
}

int RunList(const qvcli::Args& given) {
    qvcli::Args args = given;
    if (!qvcli::TakePluginsOption(&args) || args.empty()) return 2;
    qv::FileList list;
    std::wstring sort;
    if (qvcli::FlagValue(args, L"--sort", &sort)) {
        if (sort == L"name") {
            list.sortOrder = qv::kSortByName;
        } else if (sort == L"date") {
            list.sortOrder = qv::kSortByDate;
        } else if (sort == L"size") {
            list.sortOrder = qv::kSortBySize;
        } else {
            qvcli::PrintError(L"unknown sort order: " + sort);
            return 2;
        }
    }
    bool all = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != L"--all") continue;
        all = true;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    if (args.empty()) return 2;
    const std::wstring& path = args[0];
    if (all && !qv::IsDirectory(path.c_str())) return ListAllMembers(path);
    // a folder is scanned; any other path is listed as an archive, as the viewer opens it
    bool ok = qv::IsDirectory(path.c_str()) ? qv::ScanFolder(&list, path) : qv::OpenArchive(&list, path, nullptr);
    if (!ok) {
        qvcli::PrintError(L"no images listed: " + path);
        return 1;
    }
    std::wstring text;
    for (uint32_t i = 0; i < list.count; ++i) {
        const qv::FileEntry& e = list.entries[i];
        text += Line(e, qv::EntryText(list, i));
    }
    qvcli::Print(text);
    return 0;
}

} // namespace

QV_CLI_COMMAND("list", "list PATH [--sort name|date|size] [--all] [--plugins DIR]  the images of a folder or archive",
               RunList);
