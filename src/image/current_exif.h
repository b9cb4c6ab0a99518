// The EXIF information of the file or archive member shown now, for the information dialog.
// Portable.
#pragma once

#include "codecs/exif.h"
#include "sources/file_list.h"

namespace qv {

// Reads the current file (a folder source) or extracts the current member (an archive) and fills
// the record. False when the bytes cannot be had, there is no EXIF block or IFD0 has no EXIF IFD
// pointer; the record is then not to be shown.
bool ReadCurrentExifInfo(const FileList& list, ExifInfo* info, ExifStringLookup lookup);

// The rows the dialog lists: the item numbers whose value is present, in index order.
int CollectExifRows(const ExifInfo& info, int rows[kExifInfoItems]);

} // namespace qv
