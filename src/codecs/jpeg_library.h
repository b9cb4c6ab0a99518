// The codec's own managers for libjpeg-turbo: the error manager that returns to a recovery point
// with the library's message kept, the memory source with its end-of-data rule, the file and
// memory destinations, and the progress monitor that enforces the scan limit.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

namespace qv {

// The error manager of one call. The exit routine formats the library's message into `ctx` and
// jumps back to `recovery`; no C++ object with a destructor may live in a frame it unwinds.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf recovery;
    JpegContext* ctx;
    bool limitExceeded; // the scan or size limit refused the file (status 50002)
};

void InitJpegErrorManager(JpegErrorManager* err, JpegContext* ctx);

// Whole-input memory source: a read past the end supplies an end-of-image marker so that a
// truncated file decodes as far as it goes.
struct JpegMemorySource {
    jpeg_source_mgr pub;
};
void InstallMemorySource(j_decompress_ptr cinfo, JpegMemorySource* src, const uint8_t* data, uint32_t size);

// Scan limit: the monitor refuses a file once its input reaches more scans than kJpegMaxScans.
struct JpegScanLimit {
    jpeg_progress_mgr pub;
    j_decompress_ptr cinfo;
};
void InstallScanLimit(j_decompress_ptr cinfo, JpegScanLimit* monitor);
// Called after the header: refuses (through the recovery point) sizes beyond kJpegMaxPixels.
void CheckPixelLimit(j_decompress_ptr cinfo);

// File destination: a 1 MiB buffer written whenever it fills and at the end; a short write is the
// library's write error. The OutputFile is owned by the caller and outlives the compressor.
struct JpegFileDestination {
    jpeg_destination_mgr pub;
    OutputFile* file;
    JOCTET* buffer; // kJpegFileBufferBytes, from the compressor's image pool
};
void InstallFileDestination(j_compress_ptr cinfo, JpegFileDestination* dest, OutputFile* file);

// Memory destination over the caller's block; running out of room is a fatal error.
struct JpegMemoryDestination {
    jpeg_destination_mgr pub;
    uint8_t* block;
    uint32_t capacity;
};
void InstallMemoryDestination(j_compress_ptr cinfo, JpegMemoryDestination* dest, uint8_t* block, uint32_t capacity);
inline uint32_t MemoryDestinationUsed(const JpegMemoryDestination& dest) {
    return dest.capacity - static_cast<uint32_t>(dest.pub.free_in_buffer);
}

} // namespace qv
