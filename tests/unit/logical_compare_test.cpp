#include <gtest/gtest.h>

#include "../logical_order_names.h"
#include "sources/logical_compare.h"

namespace qv {
namespace {

int Sign(int v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

TEST(LogicalCompareTest, DigitRunsCompareByValue) {
    EXPECT_LT(CompareLogical(L"img2.jpg", L"img10.jpg"), 0);
    EXPECT_GT(CompareLogical(L"img10.jpg", L"img9.jpg"), 0);
    EXPECT_LT(CompareLogical(L"a1b2", L"a1b10"), 0);
    EXPECT_LT(CompareLogical(L"9", L"10"), 0);
}

TEST(LogicalCompareTest, CaseIsIgnoredAndOrderIsAntisymmetric) {
    EXPECT_EQ(CompareLogical(L"ABC.jpg", L"abc.JPG"), 0);
    EXPECT_LT(CompareLogical(L"apple", L"Banana"), 0);
    for (const wchar_t* x : qvtest::kLogicalOrderNames)
        for (const wchar_t* y : qvtest::kLogicalOrderNames)
            EXPECT_EQ(Sign(CompareLogical(x, y)), -Sign(CompareLogical(y, x))) << "pair";
}

TEST(LogicalCompareTest, AccentedLetterFollowsItsBaseLetter) {
    EXPECT_LT(CompareLogical(L"e", L"\u00e9"), 0);
    EXPECT_LT(CompareLogical(L"\u00e9", L"f"), 0);
}

TEST(LogicalCompareTest, PrefixSortsFirstAndNullIsEqual) {
    EXPECT_LT(CompareLogical(L"abc", L"abcd"), 0);
    EXPECT_EQ(CompareLogical(nullptr, L"x"), 0);
    EXPECT_LT(CompareLogical(L"", L"a"), 0);
}

} // namespace
} // namespace qv
