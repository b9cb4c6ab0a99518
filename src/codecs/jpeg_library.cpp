#include "codecs/jpeg_library.h"

#include <jerror.h>

namespace qv {

namespace {

void ExitToRecovery(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char text[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, text);
    // The library's messages are plain ASCII; widen byte by byte as the ANSI code page would.
    uint32_t i = 0;
    for (; i < kJpegMessageChars && text[i]; ++i)
        err->ctx->libraryMessage[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    err->ctx->libraryMessage[i] = 0;
    longjmp(err->recovery, 1);
}

void SourceNothing(j_decompress_ptr) {}

// Warnings (a truncated file, corrupt data) are not shown: the picture is used as far as it goes.
void OutputNothing(j_common_ptr) {}

const JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

boolean SourceFill(j_decompress_ptr cinfo) {
    // Out of data: pretend the image ends here so the library fills the rest and finishes.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kFakeEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        SourceFill(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void MonitorScans(j_common_ptr common) {
    auto* monitor = reinterpret_cast<JpegScanLimit*>(common->progress);
    if (monitor->cinfo->input_scan_number > kJpegMaxScans) {
        auto* err = reinterpret_cast<JpegErrorManager*>(common->err);
        err->limitExceeded = true;
        ERREXIT1(common, JERR_NOT_COMPILED, 0); // any fatal error: the flag carries the reason
    }
}

void FileInit(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegFileDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kJpegFileBufferBytes));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kJpegFileBufferBytes;
}

boolean FileEmpty(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegFileDestination*>(cinfo->dest);
    if (!dest->file->Write(dest->buffer, kJpegFileBufferBytes)) ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kJpegFileBufferBytes;
    return TRUE;
}

void FileTerm(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegFileDestination*>(cinfo->dest);
    size_t used = kJpegFileBufferBytes - dest->pub.free_in_buffer;
    if (used > 0 && !dest->file->Write(dest->buffer, used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void MemoryInit(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->block;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean MemoryEmpty(j_compress_ptr cinfo) {
    ERREXIT(cinfo, JERR_BUFFER_SIZE);
    return FALSE;
}

void MemoryTerm(j_compress_ptr) {}

} // namespace

void InitJpegErrorManager(JpegErrorManager* err, JpegContext* ctx) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = ExitToRecovery;
    err->pub.output_message = OutputNothing;
    err->pub.trace_level = 0;
    err->ctx = ctx;
    err->limitExceeded = false;
}

void InstallMemorySource(j_decompress_ptr cinfo, JpegMemorySource* src, const uint8_t* data, uint32_t size) {
    src->pub.init_source = SourceNothing;
    src->pub.fill_input_buffer = SourceFill;
    src->pub.skip_input_data = SourceSkip;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = SourceNothing;
    src->pub.next_input_byte = data;
    src->pub.bytes_in_buffer = size;
    cinfo->src = &src->pub;
}

void InstallScanLimit(j_decompress_ptr cinfo, JpegScanLimit* monitor) {
    monitor->pub = {};
    monitor->pub.progress_monitor = MonitorScans;
    monitor->cinfo = cinfo;
    cinfo->progress = &monitor->pub;
    cinfo->mem->max_memory_to_use = kJpegMaxLibraryMemory;
}

void CheckPixelLimit(j_decompress_ptr cinfo) {
    if (static_cast<uint64_t>(cinfo->image_width) * cinfo->image_height > kJpegMaxPixels) {
        reinterpret_cast<JpegErrorManager*>(cinfo->err)->limitExceeded = true;
        ERREXIT1(cinfo, JERR_IMAGE_TOO_BIG, cinfo->image_width);
    }
}

void InstallFileDestination(j_compress_ptr cinfo, JpegFileDestination* dest, OutputFile* file) {
    dest->pub.init_destination = FileInit;
    dest->pub.empty_output_buffer = FileEmpty;
    dest->pub.term_destination = FileTerm;
    dest->file = file;
    dest->buffer = nullptr;
    cinfo->dest = &dest->pub;
}

void InstallMemoryDestination(j_compress_ptr cinfo, JpegMemoryDestination* dest, uint8_t* block, uint32_t capacity) {
    dest->pub.init_destination = MemoryInit;
    dest->pub.empty_output_buffer = MemoryEmpty;
    dest->pub.term_destination = MemoryTerm;
    dest->block = block;
    dest->capacity = capacity;
    cinfo->dest = &dest->pub;
}

} // namespace qv
