// Shared by the fuzz targets that read settings files: the input goes into one scratch file per
// process (the readers work on paths), removed at exit.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qvfuzz {

inline std::string ScratchName(const char* what) {
    return "/tmp/qv_" + std::string(what) + "_fuzz_" + std::to_string(getpid()) + ".ini";
}

inline std::wstring Wide(const std::string& narrow) {
    return std::wstring(narrow.begin(), narrow.end());
}

inline bool WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

inline std::string ReadScratch(const std::string& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

} // namespace qvfuzz
