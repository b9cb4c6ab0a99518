// Helpers of the corpus tests: the files of a third-party test folder, our decodes as plain RGB,
// and reference PNG decodes by libpng.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "model/image_buffer.h"

namespace qvtest {

// Files found recursively under the named folders of the corpus (QV_CORPUS_DIR) whose extension
// is one of `extensions` (exact, with the dot), sorted by path. Empty when the corpus or every
// folder is absent, so that a test can skip.
std::vector<std::filesystem::path> CorpusFiles(std::initializer_list<const char*> folders,
                                               std::initializer_list<const char*> extensions);

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// A decoded picture, top row first, palette images expanded through their palette.
std::vector<Rgb> ImageRgb(const qv::ImageBuffer& image);

struct PngReference {
    uint32_t width = 0, height = 0;
    int colourType = 0, interlace = 0, bitDepth = 0; // as the file declares them
    std::vector<uint8_t> rgba;                       // top row first, 4 bytes a pixel
};

// libpng's decode expanded to 8-bit RGBA: palette and low depths expanded, tRNS turned into
// alpha, 16-bit samples reduced to their high byte, grey copied to all three channels. False
// when libpng refuses the file.
bool DecodePngReference(const std::string& bytes, PngReference* ref);

// Runs a shell command of a reference tool and gives its standard output; false when it could not
// start or ended with a status other than 0 (the output read so far is kept).
bool RunCommandOutput(const std::string& command, std::string* out);
// `text` as one shell word: in single quotes, a quote inside closed, escaped and reopened.
std::string ShellQuoted(const std::string& text);
// The uncompressed text chunks (tEXt) libpng keeps of a whole read, keyword and text, in file
// order. False when libpng refuses the file.
bool ReadPngReferenceTexts(const std::string& bytes, std::vector<std::pair<std::string, std::string>>* texts);

} // namespace qvtest
