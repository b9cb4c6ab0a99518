// Shared by the JPEG fuzz targets: skip inputs whose declared size would only measure how long a
// huge picture takes to fill (the codec's own limits are tested by the unit tests).
#pragma once

#include <cstddef>
#include <cstdint>

#include <turbojpeg.h>

inline bool FuzzJpegSizeAcceptable(const uint8_t* data, size_t size) {
    tjhandle handle = tjInitDecompress();
    if (!handle) return false;
    int width = 0, height = 0, sampling = 0, colourspace = 0;
    int r = tjDecompressHeader3(handle, const_cast<unsigned char*>(data), static_cast<unsigned long>(size), &width,
                                &height, &sampling, &colourspace);
    tjDestroy(handle);
    // A header TurboJPEG cannot read still goes to the codec (it may be one it reads differently).
    return r != 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= (1u << 22);
}
