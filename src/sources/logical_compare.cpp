#include "sources/logical_compare.h"

namespace qv {

namespace {

// Weights of U+0020..U+024F in the shell's order (0 for the digits, handled apart, and for
// control characters, which sort first). Characters that compare equal ignoring case share a
// weight; an accented letter has its own weight just above its base letter.
constexpr uint16_t kLatinWeights[0x250 - 0x20] = {
    4,   6,   7,   8,   9,   10,  11,  2,   12,  13,  14,  44,  15,  3,   16,  17,  0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   18,  19,  45,  46,  47,  20,  21,  72,  94,  99,  108, 120, 138, 140, 150, 155, 172, 177, 182, 192,
    194, 206, 232, 234, 237, 245, 257, 268, 289, 292, 295, 296, 303, 22,  23,  24,  25,  26,  27,  72,  94,  99,  108,
    120, 138, 140, 150, 155, 172, 177, 182, 192, 194, 206, 232, 234, 237, 245, 257, 268, 289, 292, 295, 296, 303, 28,
    29,  30,  31,  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   5,   32,  40,  41,  42,  43,  33,  56,  34,  57,
    73,  49,  58,  1,   59,  35,  60,  48,  69,  70,  36,  61,  62,  63,  37,  67,  207, 50,  64,  65,  66,  38,  75,
    74,  77,  82,  78,  83,  91,  104, 122, 121, 124, 125, 158, 157, 160, 161, 113, 198, 209, 208, 211, 216, 212, 51,
    220, 270, 269, 271, 272, 297, 266, 255, 75,  74,  77,  82,  78,  83,  91,  104, 122, 121, 124, 125, 158, 157, 160,
    161, 113, 198, 209, 208, 211, 216, 212, 52,  220, 270, 269, 271, 272, 297, 266, 299, 81,  81,  80,  80,  84,  84,
    100, 100, 102, 102, 101, 101, 103, 103, 109, 109, 110, 110, 128, 128, 127, 127, 123, 123, 129, 129, 126, 126, 143,
    143, 145, 145, 142, 142, 146, 146, 151, 151, 153, 153, 165, 165, 164, 164, 163, 163, 166, 166, 159, 156, 171, 171,
    174, 174, 180, 180, 178, 183, 183, 186, 186, 185, 185, 184, 184, 188, 188, 195, 195, 199, 199, 197, 197, 201, 205,
    205, 215, 215, 214, 214, 218, 218, 230, 230, 239, 239, 241, 241, 240, 240, 246, 246, 247, 247, 249, 249, 248, 248,
    259, 259, 258, 258, 267, 267, 276, 276, 275, 275, 274, 274, 277, 277, 279, 279, 278, 278, 293, 293, 298, 298, 299,
    304, 304, 305, 305, 306, 306, 256, 95,  96,  97,  97,  98,  98,  107, 106, 106, 118, 112, 111, 111, 114, 134, 135,
    136, 139, 139, 148, 149, 154, 170, 167, 181, 181, 187, 189, 193, 200, 202, 219, 228, 228, 229, 229, 233, 233, 238,
    253, 253, 252, 254, 261, 260, 260, 262, 287, 287, 288, 290, 302, 302, 307, 307, 310, 312, 312, 313, 68,  71,  71,
    314, 294, 53,  54,  55,  39,  117, 117, 117, 190, 190, 190, 203, 203, 203, 79,  79,  162, 162, 213, 213, 273, 273,
    284, 284, 281, 281, 283, 283, 282, 282, 134, 88,  88,  86,  86,  93,  93,  147, 147, 144, 144, 179, 179, 217, 217,
    225, 225, 311, 311, 175, 116, 116, 116, 141, 141, 154, 294, 196, 196, 87,  87,  92,  92,  223, 223, 89,  89,  90,
    90,  132, 132, 133, 133, 168, 168, 169, 169, 226, 226, 227, 227, 243, 243, 244, 244, 285, 285, 286, 286, 250, 250,
    263, 263, 137, 137, 152, 152, 202, 119, 231, 231, 308, 308, 76,  76,  130, 130, 222, 222, 224, 224, 210, 210, 221,
    221, 300, 300, 191, 204, 265, 173, 115, 236, 85,  105, 105, 187, 264, 251, 309, 315, 315, 95,  280, 291, 131, 131,
    176, 176, 235, 235, 242, 242, 301, 301,
};

// Everything past the table sorts after it, by code point, with the simple case pairs of Greek
// and Cyrillic folded together and each hiragana placed just after its katakana twin.
constexpr uint32_t kBeyondTable = 1000;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

uint32_t LogicalWeight(wchar_t c) {
    uint32_t cp = static_cast<uint32_t>(c);
    if (cp < 0x20) return 0;
    if (cp < 0x250) return kLatinWeights[cp - 0x20];
    uint32_t tie = 0;
    if (cp >= 0x391 && cp <= 0x3A9)
        cp += 0x20; // Greek capitals
    else if (cp >= 0x410 && cp <= 0x42F)
        cp += 0x20; // Cyrillic capitals
    else if (cp >= 0x400 && cp <= 0x40F)
        cp += 0x50;
    else if (cp >= 0x3041 && cp <= 0x3096)
        cp += 0x60, tie = 1; // hiragana after katakana
    return kBeyondTable + cp * 2 + tie;
}

int CompareLogical(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) return 0;
    while (*a) {
        if (!*b) return 1;
        if (IsDigit(*a)) {
            if (!IsDigit(*b)) return -1;
            // Compare the runs as numbers of any length: skip leading zeros, then the longer
            // run is larger, then the first differing digit decides.
            while (*a == L'0')
                ++a;
            while (*b == L'0')
                ++b;
            const wchar_t* ea = a;
            const wchar_t* eb = b;
            while (IsDigit(*ea))
                ++ea;
            while (IsDigit(*eb))
                ++eb;
            if (ea - a != eb - b) return ea - a < eb - b ? -1 : 1;
            for (; a < ea; ++a, ++b) {
                if (*a != *b) return *a < *b ? -1 : 1;
            }
            b = eb;
            continue;
        }
        if (IsDigit(*b)) return 1;
        uint32_t wa = LogicalWeight(*a);
        uint32_t wb = LogicalWeight(*b);
        if (wa != wb) return wa < wb ? -1 : 1;
        ++a;
        ++b;
    }
    return *b ? -1 : 0;
}

} // namespace qv
