// The portable logical order must agree with the shell's own StrCmpLogicalW on every pair of the
// shared names, so that lists sort as the user's file windows do.
#include <windows.h>

#include <gtest/gtest.h>

#include "../logical_order_names.h"
#include "sources/logical_compare.h"

namespace qv {
namespace {

int Sign(int v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

TEST(LogicalOrderWinTest, AgreesWithTheShellPairwise) {
    HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
    ASSERT_NE(shlwapi, nullptr);
    using StrCmpLogical = int(WINAPI*)(const wchar_t*, const wchar_t*);
    auto shell = reinterpret_cast<StrCmpLogical>(reinterpret_cast<void*>(GetProcAddress(shlwapi, "StrCmpLogicalW")));
    ASSERT_NE(shell, nullptr);
    for (const wchar_t* a : qvtest::kLogicalOrderNames)
        for (const wchar_t* b : qvtest::kLogicalOrderNames)
            EXPECT_EQ(Sign(CompareLogical(a, b)), Sign(shell(a, b)))
                << "\"" << std::wstring(a).size() << "\" chars vs " << std::wstring(b).size();
}

} // namespace
} // namespace qv
