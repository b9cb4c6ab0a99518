// RAR through our own library (libunrar64.so, the same source as unrar64.dll) against bsdtar on
// the same archive: listing 10,000 members (RAR access's two passes against `bsdtar -tf`) and
// extracting one 50 MB member (skipping to it and testing it into a block, against
// `bsdtar -xOf ARCHIVE MEMBER >/dev/null`). bsdtar runs as its own process, so both sides are
// timed on the wall clock, in interleaved pairs; ratio = bsdtar time / ours.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "rar_builder.h"
#include "sources/rar_access.h"
#include "test_support.h"

namespace {

double Seconds(const std::function<bool()>& job) {
    auto start = std::chrono::steady_clock::now();
    if (!job()) {
        std::fprintf(stderr, "rar_bench: a timed run failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Paired(const char* name, int runs, const std::function<bool()>& ours, const std::function<bool()>& bsdtar) {
    Seconds(ours), Seconds(bsdtar);
    std::vector<double> a, b, r;
    for (int i = 0; i < runs; ++i) {
        a.push_back(Seconds(ours));
        b.push_back(Seconds(bsdtar));
        r.push_back(b.back() / a.back());
    }
    std::printf("%-26s ours %8.1f ms  bsdtar %8.1f ms  ratio %.2f (min %.2f, max %.2f)\n", name, Median(a) * 1e3,
                Median(b) * 1e3, Median(r), *std::min_element(r.begin(), r.end()),
                *std::max_element(r.begin(), r.end()));
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

} // namespace

int main() {
#ifndef QV_UNRAR_LIBRARY
    std::fprintf(stderr, "rar_bench: reference missing (libarchive-dev: our library was not built)\n");
    return 1;
#else
    qv::RarLibrary library;
    if (!qv::LoadRarLibraryFrom(QV_UNRAR_LIBRARY, &library)) {
        std::fprintf(stderr, "rar_bench: our library did not load\n");
        return 1;
    }
    qvtest::ScratchDir dir;
    std::vector<qvtest::RarMember> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back({"f/m" + std::to_string(i) + ".jpg", std::string(16, static_cast<char>(i))});
    std::string big(50u << 20, '\0');
    uint32_t seed = 1;
    for (char& c : big)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    std::vector<qvtest::RarMember> one{{"small.jpg", "x"}, {"big.bmp", big}};
    std::wstring manyPath = dir.File(L"many.rar"), bigPath = dir.File(L"big.rar");
    if (!qvtest::WriteFileBytes(manyPath, qvtest::BuildStoredRar(many)) ||
        !qvtest::WriteFileBytes(bigPath, qvtest::BuildStoredRar(one)))
        return 1;
    std::string manyArg = "'" + qv::WideToUtf8(manyPath) + "'", bigArg = "'" + qv::WideToUtf8(bigPath) + "'";
    int runs = std::getenv("QV_BENCH_RUNS") ? std::atoi(std::getenv("QV_BENCH_RUNS")) : 7;
    std::printf("RAR through our library against bsdtar (wall clock, shared machine)\n");
    Paired(
        "list 10,000 members", runs,
        [&] {
            qv::ArchiveListing listing;
            return qv::ListRarWith(library.functions, manyPath.c_str(), &listing) && listing.count == 10000;
        },
        [&] { return Shell("bsdtar -tf " + manyArg + " >/dev/null"); });
    Paired(
        "extract a 50 MB member", runs,
        [&] {
            qv::LargeBlock block;
            uint32_t length = 0;
            return qv::ExtractRarWith(library.functions, bigPath.c_str(), 1, &block, &length) && length == big.size();
        },
        [&] { return Shell("bsdtar -xOf " + bigArg + " big.bmp >/dev/null"); });
    return 0;
#endif
}
