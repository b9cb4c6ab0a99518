// Speed of one edit-history step against the least work that stores and fetches the same bytes:
// a snapshot pushed into a new temporary file and restored into a new image (WriteNewSnapshot and
// ReadSnapshotFile), against writing the header and pixel bytes with the platform's output file
// and reading them back into a fresh block with its random-access file. Paired runs, medians of
// the per-pair ratios (reference time / ours: 1 = as fast, the goal is at least 0.8).
// usage: history_bench [WIDTH HEIGHT [PAIRS]]   (default 6000 x 4000, 24 bits, 7 pairs)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/edit_history.h"
#include "paired_runs.h"
#include "platform/platform.h"

namespace {

bool ReferenceRoundTrip(const std::wstring& folder, const qv::ImageBuffer& image) {
    std::wstring path;
    if (!qv::CreateTempFile(folder, &path)) return false;
    uint32_t bytes = qv::ImageStride(&image) * static_cast<uint32_t>(image.header.biHeight);
    uint8_t head[qv::kSnapshotHeaderBytes] = {};
    bool ok = false;
    {
        qv::OutputFile out;
        ok = out.Create(path.c_str()) && out.Write(head, sizeof head) && out.Write(image.pixels, bytes) && out.Close();
    }
    if (ok) {
        qv::RandomAccessFile in;
        qv::CodecStatus status = qv::kCodecOk;
        uint8_t* block = qv::AllocPixelBlock(static_cast<uint32_t>(image.header.biWidth),
                                             static_cast<uint32_t>(image.header.biHeight), 24, &status);
        uint32_t got = 0;
        ok = block && in.OpenReadShared(path.c_str()) && in.ReadAt(0, head, sizeof head, &got) &&
             in.ReadAt(sizeof head, block, bytes, &got) && got == bytes;
        qv::FreePixelBlock(block);
    }
    qv::DeleteFilePath(path.c_str());
    return ok;
}

bool SnapshotRoundTrip(const std::wstring& folder, const qv::ImageBuffer& image) {
    qv::EditHistory history;
    history.folder = folder;
    std::wstring path;
    if (!qv::WriteNewSnapshot(history, image, 0, nullptr, &path)) return false;
    qv::RestoredSnapshot restored;
    bool ok = qv::ReadSnapshotFile(path, image, &restored) == qv::SnapshotStatus::Ok;
    qv::DeleteFilePath(path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    uint32_t width = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[1])) : 6000;
    uint32_t height = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 4000;
    int pairs = argc > 3 ? std::atoi(argv[3]) : 7;
    qv::ImageBuffer image{};
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::PrepareImage(&image, width, height, 24, &status)) {
        std::fprintf(stderr, "history_bench: no memory for %u x %u\n", width, height);
        return 1;
    }
    uint32_t bytes = qv::ImageStride(&image) * height;
    for (uint32_t i = 0; i < bytes; ++i)
        image.pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    std::wstring folder = qv::TempFolder();
    std::printf("edit-history step, %u x %u at 24 bits (%.1f MB)\n", width, height, bytes / 1048576.0);
    qvbench::PrintPaired("snapshot push + restore", "platform write + read",
                         qvbench::RunPaired(
                             pairs, [&] { return SnapshotRoundTrip(folder, image); },
                             [&] { return ReferenceRoundTrip(folder, image); }));
    qv::FreeImagePixels(&image);
    return 0;
}
