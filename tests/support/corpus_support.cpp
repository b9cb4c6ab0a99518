#include "corpus_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "test_support.h"

#include <png.h>

namespace qvtest {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles(std::initializer_list<const char*> folders,
                                  std::initializer_list<const char*> extensions) {
    std::vector<fs::path> files;
    std::wstring root = CorpusDir();
    if (root.empty()) return files;
    for (const char* folder : folders) {
        fs::path dir = fs::path(root) / folder;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
            if (!entry.is_regular_file()) continue;
            std::string ext = entry.path().extension().string();
            for (const char* wanted : extensions) {
                if (ext == wanted) {
                    files.push_back(entry.path());
                    break;
                }
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<Rgb> ImageRgb(const qv::ImageBuffer& image) {
    uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    std::vector<Rgb> out(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = qv::ImageRowFromTop(&image, y);
        for (uint32_t x = 0; x < w; ++x) {
            if (image.header.biBitCount == 8) {
                const RGBQUAD& q = image.palette[row[x]];
                out[static_cast<size_t>(y) * w + x] = {q.rgbRed, q.rgbGreen, q.rgbBlue};
            } else {
                out[static_cast<size_t>(y) * w + x] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            }
        }
    }
    return out;
}

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size, pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* m = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (m->size - m->pos < length) png_error(png, "read past end");
    std::memcpy(out, m->data + m->pos, length);
    m->pos += length;
}

[[noreturn]] void QuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}

} // namespace

bool DecodePngReference(const std::string& bytes, PngReference* ref) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    ref->width = png_get_image_width(png, info);
    ref->height = png_get_image_height(png, info);
    ref->colourType = png_get_color_type(png, info);
    ref->interlace = png_get_interlace_type(png, info);
    ref->bitDepth = png_get_bit_depth(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    ref->rgba.assign(static_cast<size_t>(ref->width) * ref->height * 4, 0);
    rows.resize(ref->height);
    for (uint32_t y = 0; y < ref->height; ++y)
        rows[y] = ref->rgba.data() + static_cast<size_t>(y) * ref->width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool RunCommandOutput(const std::string& command, std::string* out) {
    out->clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out->append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool ReadPngReferenceTexts(const std::string& bytes, std::vector<std::pair<std::string, std::string>>* texts) {
    texts->clear();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    // the texts after the image data land in the same info record
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_textp text = nullptr;
    int count = png_get_text(png, info, &text, nullptr);
    for (int i = 0; i < count; ++i)
        if (text[i].compression == PNG_TEXT_COMPRESSION_NONE)
            texts->emplace_back(text[i].key, std::string(text[i].text, text[i].text_length));
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace qvtest
