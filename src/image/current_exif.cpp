#include "image/current_exif.h"

#include "platform/platform.h"

namespace qv {

bool ReadCurrentExifInfo(const FileList& list, ExifInfo* info, ExifStringLookup lookup) {
    *info = ExifInfo{};
    if (list.sourceKind == kSourceFolder) {
        if (list.currentPath.empty()) return false;
        MappedFile file;
        if (!MapWholeFile(list.currentPath.c_str(), MapMode::ReadOnly, &file)) return false;
        return ReadExifInfo(file.view, file.size, info, lookup);
    }
    LargeBlock bytes;
    uint32_t length = 0;
    if (!HasList(list) || !ExtractCurrentMember(list, &bytes, &length) || !bytes) return false;
    return ReadExifInfo(bytes.get(), length, info, lookup);
}

int CollectExifRows(const ExifInfo& info, int rows[kExifInfoItems]) {
    int n = 0;
    for (int i = 0; i < kExifInfoItems; ++i)
        if (info.items[i].present) rows[n++] = i;
    return n;
}

} // namespace qv
