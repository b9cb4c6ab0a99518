// Speed of the image sources against the least work that gives the same answer (each reference's
// answer is checked against ours before anything is timed):
//  (a) listing a folder of 10000 files (ScanFolder) against a plain directory listing, the same
//      image-extension filter and std::sort in the same logical name order;
//  (b) listing a ZIP of 10000 stored members: the ZIP lister alone against reading just the
//      central directory and the names in it, and OpenArchive (list, keep images, sort) against
//      that reading plus the same filter and sort;
//  (c) extracting a 50 MB deflated member against zlib inflating the same bytes in one call.
// Medians of interleaved rounds; ratio = reference time / our time (above 1: ours is faster).
// usage: files_bench [FILES [MEGABYTES]]
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "platform/platform.h"
#include "sources/extension_class.h"
#include "sources/file_list.h"
#include "sources/logical_compare.h"
#include "sources/zip_reader.h"

namespace {

namespace fs = std::filesystem;

// The names of a list in its order, inner folders in front.
std::vector<std::wstring> ListedNames(const qv::FileList& list) {
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < list.count; ++i)
        names.push_back(list.entries[i].innerFolder.str() + list.entries[i].name.str());
    return names;
}

// The order of a listed name: members at the top first, then by folder, then by name, each in
// the logical order with the plain character order breaking ties.
bool NameBefore(const std::wstring& a, const std::wstring& b) {
    size_t sa = a.rfind(L'\\'), sb = b.rfind(L'\\');
    std::wstring fa = sa == std::wstring::npos ? L"" : a.substr(0, sa + 1);
    std::wstring fb = sb == std::wstring::npos ? L"" : b.substr(0, sb + 1);
    if (fa.empty() != fb.empty()) return fa.empty();
    int r = qv::CompareLogical(fa.c_str(), fb.c_str());
    if (r == 0) r = qv::CompareLogical(a.c_str() + fa.size(), b.c_str() + fb.size());
    if (r == 0) r = a.compare(b);
    return r < 0;
}

bool SameAnswer(const char* what, const std::vector<std::wstring>& ours, const std::vector<std::wstring>& reference) {
    if (ours == reference) return true;
    std::fprintf(stderr, "files_bench: %s: our answer (%zu names) differs from the reference's (%zu names)\n", what,
                 ours.size(), reference.size());
    return false;
}

// Names as a camera, a scanner and a person would give them, over every built-in extension.
std::string FileName(int i) {
    static const char* const kExtensions[] = {".jpg", ".png", ".bmp", ".gif", ".tif", ".jpeg", ".tiff", ".JPG"};
    char name[64];
    const char* ext = kExtensions[i % 8];
    switch (i % 5) {
    case 0: std::snprintf(name, sizeof name, "IMG_%04d%s", i, ext); break;
    case 1: std::snprintf(name, sizeof name, "photo (%d)%s", i, ext); break;
    case 2: std::snprintf(name, sizeof name, "scan%d-page%d%s", i / 7, i % 7, ext); break;
    case 3: std::snprintf(name, sizeof name, "%d%s", i * 37 % 100000, ext); break;
    default: std::snprintf(name, sizeof name, "Holiday %d day %d%s", 2000 + i % 25, i, ext); break;
    }
    return name;
}

bool MakeFolder(const fs::path& folder, int files) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (!fs::create_directories(folder, ec)) return false;
    for (int i = 0; i < files; ++i) {
        // a few files that are not images, which the scan leaves out
        std::FILE* f = std::fopen((folder / (FileName(i) + (i % 50 == 7 ? ".txt" : ""))).c_str(), "wb");
        if (!f) return false;
        std::fprintf(f, "file %d\n", i);
        std::fclose(f);
    }
    return true;
}

bool BenchFolder(const fs::path& folder, int files, int runs) {
    const std::wstring path = folder.wstring();
    qv::FileList list;
    auto scan = [&] { return qv::ScanFolder(&list, path); };
    std::vector<std::wstring> names;
    auto reference = [&] {
        names.clear();
        bool ok = qv::ListDirectory(path, [&](const qv::DirEntry& e) {
            if (!e.isDirectory && qv::HasImageExtension(e.name)) names.push_back(e.name);
        });
        std::sort(names.begin(), names.end(), NameBefore);
        return ok && !names.empty();
    };
    if (!scan() || !reference() || !SameAnswer("folder", ListedNames(list), names)) return false;
    std::printf("(a) folder of %d files, %u images listed\n", files, list.count);
    qvbench::Report("files", "ScanFolder, " + std::to_string(files) + " files",
                    qvbench::Compare(runs, {"ScanFolder", scan}, {"ListDirectory + filter + logical sort", reference}));
    std::printf("    goal: a rebuild reads the folder once, allocates the entry array once and sorts the records once "
                "in place\n");
    return true;
}

// ---- ZIP files written here -------------------------------------------------------------------

void Put16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

struct ZipMember {
    std::string name;
    std::string data; // as stored: raw deflate for method 8
    uint16_t method;
    uint32_t crc, size;
};

// Local headers and data, then the central directory and its end record.
std::string WriteZip(const std::vector<ZipMember>& members) {
    const uint16_t kTime = 10 << 11 | 30 << 5, kDate = (2024 - 1980) << 9 | 5 << 5 | 17;
    std::string out, central;
    for (const ZipMember& m : members) {
        uint32_t local = static_cast<uint32_t>(out.size());
        for (std::string* h : {&out, &central}) {
            Put32(h, h == &out ? 0x04034b50 : 0x02014b50);
            if (h == &central) Put16(h, 20); // made by
            Put16(h, 20);                    // needed
            Put16(h, 0);                     // flags
            Put16(h, m.method);
            Put16(h, kTime);
            Put16(h, kDate);
            Put32(h, m.crc);
            Put32(h, static_cast<uint32_t>(m.data.size()));
            Put32(h, m.size);
            Put16(h, static_cast<uint32_t>(m.name.size()));
            Put16(h, 0); // extra
            if (h == &central) {
                Put16(h, 0); // comment
                Put16(h, 0); // disk
                Put16(h, 0); // internal attributes
                Put32(h, 0); // external attributes
                Put32(h, local);
            }
            *h += m.name;
        }
        out += m.data;
    }
    uint32_t start = static_cast<uint32_t>(out.size());
    out += central;
    Put32(&out, 0x06054b50);
    Put16(&out, 0);
    Put16(&out, 0);
    Put16(&out, static_cast<uint32_t>(members.size()));
    Put16(&out, static_cast<uint32_t>(members.size()));
    Put32(&out, static_cast<uint32_t>(central.size()));
    Put32(&out, start);
    Put16(&out, 0);
    return out;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

uint32_t Crc(const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The reference lister: the end record, then the central directory in one read, walked record by
// record for the names. No checks beyond what the walk needs.
bool ReadCentralDirectory(const fs::path& path, std::vector<std::wstring>* names) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char end[22];
    bool ok = std::fseek(f, -22, SEEK_END) == 0 && std::fread(end, 1, 22, f) == 22;
    uint32_t count = end[10] | end[11] << 8;
    uint32_t size = end[12] | end[13] << 8 | end[14] << 16 | static_cast<uint32_t>(end[15]) << 24;
    uint32_t start = end[16] | end[17] << 8 | end[18] << 16 | static_cast<uint32_t>(end[19]) << 24;
    std::vector<unsigned char> dir(size);
    ok = ok && std::fseek(f, start, SEEK_SET) == 0 && std::fread(dir.data(), 1, size, f) == size;
    std::fclose(f);
    names->clear();
    for (uint32_t i = 0, at = 0; ok && i < count && at + 46 <= size; ++i) {
        const unsigned char* r = &dir[at];
        uint32_t nameLength = r[28] | r[29] << 8, extra = r[30] | r[31] << 8, comment = r[32] | r[33] << 8;
        // the names written here are ASCII; folders are listed with backslashes
        std::wstring name(r + 46, r + 46 + nameLength);
        std::replace(name.begin(), name.end(), L'/', L'\\');
        names->push_back(std::move(name));
        at += 46 + nameLength + extra + comment;
    }
    return ok && names->size() == count;
}

bool BenchZipListing(const fs::path& folder, int members, int runs) {
    std::vector<ZipMember> list;
    for (int i = 0; i < members; ++i) {
        // a few members that are not images, which OpenArchive leaves out
        std::string name = (i % 3 == 0 ? "album/" : "") + FileName(i) + (i % 50 == 7 ? ".txt" : "");
        std::string data = "member " + std::to_string(i) + "\n";
        list.push_back({name, data, 0, Crc(data), static_cast<uint32_t>(data.size())});
    }
    const fs::path zip = folder / "members.zip";
    if (!WriteFile(zip, WriteZip(list))) return false;
    const std::wstring path = zip.wstring();

    qv::ArchiveListing listing;
    auto lister = [&] {
        listing = qv::ArchiveListing();
        return qv::ListZipArchive(path.c_str(), &listing);
    };
    std::vector<std::wstring> names;
    auto readNames = [&] { return ReadCentralDirectory(zip, &names); };
    if (!lister() || !readNames()) return false;
    std::vector<std::wstring> listed;
    for (uint32_t i = 0; i < listing.count; ++i)
        listed.push_back(listing.entries[i].innerFolder.str() + listing.entries[i].name.str());
    if (!SameAnswer("ZIP listing", listed, names)) return false;

    qv::FileList fileList;
    auto open = [&] { return qv::OpenArchive(&fileList, path, nullptr); };
    std::vector<std::wstring> images;
    auto readAndSort = [&] {
        if (!ReadCentralDirectory(zip, &names)) return false;
        images.clear();
        for (std::wstring& name : names)
            if (qv::HasImageExtension(name)) images.push_back(std::move(name));
        std::sort(images.begin(), images.end(), NameBefore);
        return !images.empty();
    };
    if (!open() || !readAndSort() || !SameAnswer("ZIP images", ListedNames(fileList), images)) return false;

    std::printf("(b) ZIP of %d stored members, %ju bytes: %u listed, %u images kept\n", members,
                static_cast<uintmax_t>(fs::file_size(zip)), listing.count, fileList.count);
    qvbench::Report("files", "ListZipArchive, " + std::to_string(members) + " members",
                    qvbench::Compare(runs, {"ListZipArchive", lister}, {"reading the central directory", readNames}));
    qvbench::Report(
        "files", "OpenArchive, " + std::to_string(members) + " members",
        qvbench::Compare(runs, {"OpenArchive", open}, {"central directory + filter + logical sort", readAndSort}));
    std::printf("    goal: listing reads only the central directory, one fixed-size record and one name at a time\n");
    fs::remove(zip);
    return true;
}

// Rows of a smooth picture with a little noise, as a photograph's pixel block.
std::string ImageLikeBytes(size_t bytes) {
    std::string out(bytes, '\0');
    const size_t stride = 3 * 4000;
    uint32_t seed = 1;
    for (size_t i = 0; i < bytes; ++i) {
        size_t x = i % stride, y = i / stride;
        seed = seed * 1103515245 + 12345;
        out[i] = static_cast<char>(x / 7 + y / 5 + (seed >> 30));
    }
    return out;
}

bool RawDeflate(const std::string& in, std::string* out) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    out->resize(deflateBound(&z, static_cast<uLong>(in.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out->data());
    z.avail_out = static_cast<uInt>(out->size());
    int result = deflate(&z, Z_FINISH);
    out->resize(z.total_out);
    deflateEnd(&z);
    return result == Z_STREAM_END;
}

bool RawInflate(const std::string& in, uint8_t* out, size_t size) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out;
    z.avail_out = static_cast<uInt>(size);
    int result = inflate(&z, Z_FINISH);
    bool ok = result == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    return ok;
}

bool BenchInflate(const fs::path& folder, size_t megabytes, int runs) {
    const std::string data = ImageLikeBytes(megabytes << 20);
    std::string packed;
    if (!RawDeflate(data, &packed)) return false;
    const uint32_t crc = Crc(data);
    const fs::path zip = folder / "large.zip";
    if (!WriteFile(zip, WriteZip({{"large.bmp", packed, 8, crc, static_cast<uint32_t>(data.size())}}))) return false;
    const std::wstring path = zip.wstring();

    // every side ends with the whole member in a block and is checked for it once
    qvbench::Job ours{"ExtractZipMember", [&] {
                          qv::LargeBlock block;
                          uint32_t length = 0;
                          return qv::ExtractZipMember(path.c_str(), 0, &block, &length) && length == data.size() &&
                                 std::memcmp(block.get() + length - 64, data.data() + length - 64, 64) == 0;
                      }};
    std::vector<uint8_t> ready(data.size());
    std::memset(ready.data(), 0, ready.size()); // its pages are in place before the clock starts
    qvbench::Job inPlace{"zlib inflate into a block in use", [&] {
                             return RawInflate(packed, ready.data(), ready.size()) &&
                                    std::memcmp(ready.data(), data.data(), 64) == 0;
                         }};
    // the same work as an extraction does: a fresh block, the inflate, the CRC
    qvbench::Job sameWork{"zlib inflate, fresh block, CRC-32", [&] {
                              qv::LargeBlock block(static_cast<uint8_t*>(qv::AllocLargeBlock(data.size() + 4)));
                              return block && RawInflate(packed, block.get(), data.size()) &&
                                     crc32(0, block.get(), static_cast<uInt>(data.size())) == crc;
                          }};
    {
        qv::LargeBlock block;
        uint32_t length = 0;
        if (!qv::ExtractZipMember(path.c_str(), 0, &block, &length) || length != data.size() ||
            std::memcmp(block.get(), data.data(), data.size()) != 0) {
            std::fprintf(stderr, "files_bench: the extracted member differs from what was packed\n");
            return false;
        }
    }
    std::printf("(c) deflated member of %zu MB (%zu MB packed at level 6)\n", megabytes, packed.size() >> 20);
    qvbench::Report("files", "ExtractZipMember, " + std::to_string(megabytes) + " MB",
                    qvbench::Compare(runs, ours, {sameWork, inPlace}), static_cast<double>(data.size()) / 1e6, "MB/s");
    std::printf("    goal: a member is read in one piece and inflated in a single call into a block of its final "
                "size\n");
    fs::remove(zip);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const size_t megabytes = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 50;
    const fs::path root = fs::temp_directory_path() / ("files_bench-" + std::to_string(getpid()));
    const fs::path images = root / "images";
    qvbench::PrintRatioNote();
    bool ok = MakeFolder(images, files) && BenchFolder(images, files, 7) && BenchZipListing(root, files, 9) &&
              BenchInflate(root, megabytes, 5);
    std::error_code ec;
    fs::remove_all(root, ec);
    if (!ok) std::fprintf(stderr, "files_bench: could not build or read the test files\n");
    return ok ? 0 : 1;
}
