// Decode throughput of large 24-bit and 8-bit BMP files against a plain memcpy of the same bytes
// into a fresh block (a decoder always fills a new pixel block, so both pay for fresh pages).
// Medians of interleaved rounds (bench_timing.h).
// usage: bmp_bench [WIDTH HEIGHT [RUNS]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_timing.h"
#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"
#include "platform/platform.h"

namespace {

bool MeasureDepth(const qv::ImageBuffer& source, uint32_t depth, int runs) {
    std::wstring path;
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::CreateTempFile(L"", &path) || !qv::WriteBmpFile(path.c_str(), source, depth, false, &status)) return false;
    std::string bytes;
    bool read = qv::ReadWholeFile(path.c_str(), &bytes);
    qv::DeleteFilePath(path.c_str());
    if (!read) return false;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    uint32_t size = static_cast<uint32_t>(bytes.size());

    qvbench::Job ours{"ReadBmpMemory", [&] {
                          qv::ImageBuffer image{};
                          qv::LoadInfo info;
                          bool ok = qv::ReadBmpMemory(data, size, &image, &info, &status);
                          qv::FreeImagePixels(&image);
                          return ok;
                      }};
    qvbench::Job copy{"memcpy into a fresh block", [&] {
                          void* block = qv::AllocLargeBlock(size);
                          if (!block) return false;
                          std::memcpy(block, data, size);
                          qv::FreeLargeBlock(block);
                          return true;
                      }};
    std::string name = std::to_string(depth) + "-bit BMP, " + std::to_string(size) + " bytes";
    qvbench::Report("bmp", name, qvbench::Compare(runs, ours, copy), size / 1e6, "MB/s");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    uint32_t width = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[1])) : 6000;
    uint32_t height = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 4000;
    int runs = argc > 3 ? std::atoi(argv[3]) : 10;

    qv::ImageBuffer source{};
    qv::CodecStatus status = qv::kCodecOk;
    if (!qv::PrepareImage(&source, width, height, 24, &status)) return 1;
    uint32_t seed = 1;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = qv::ImageRowFromTop(&source, y);
        for (uint32_t x = 0; x < width * 3; ++x) {
            seed = seed * 1103515245 + 12345;
            row[x] = static_cast<uint8_t>(x / 7 + y / 5 + (seed >> 29));
        }
    }
    qvbench::PrintRatioNote();
    bool ok = MeasureDepth(source, 24, runs) && MeasureDepth(source, 8, runs);
    qv::FreeImagePixels(&source);
    return ok ? 0 : 1;
}
