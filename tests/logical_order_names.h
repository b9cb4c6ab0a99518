// File names whose order in the shell's logical sort is tricky: digit runs, leading zeros, case,
// punctuation and a few accented letters. Shared by the tests that check the portable order.
#pragma once

namespace qvtest {

inline constexpr const wchar_t* kLogicalOrderNames[] = {
    L"a",     L"A",   L"a1",     L"a01", L"a001", L"a2",     L"a10",      L"a100",      L"a1b",       L"a1b2",
    L"a1b10", L"ab",  L"abc",    L"Abc", L"b",    L"B1",     L"img9.jpg", L"img10.jpg", L"IMG10.JPG", L"img010.jpg",
    L"x-y",   L"x_y", L"x y",    L"x.y", L"1",    L"01",     L"2",        L"10",        L"99999",     L"123456789",
    L"",      L"z",   L"\u00e9", L"e",   L"f",    L"\u00c9", L"_a",       L"~a",        L"(1)",       L"[1]",
};

} // namespace qvtest
