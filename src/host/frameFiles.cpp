#include "host/frameFiles.h"

#include <png.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {
[[noreturn]] void pngWriteFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngWriteWarning(png_structp, png_const_charp) {}
} // namespace

int writeFramePng(char const* path, int w, int h, uint8_t const* rgbaBottomUp) {
    if (!path || !rgbaBottomUp || w < 1 || h < 1) return 1;
    FILE* file = std::fopen(path, "wb");
    if (!file) return 1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngWriteFail, pngWriteWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(w) * 3);
    int result = 1;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = h - 1; y >= 0; y--) {
            uint8_t const* in = rgbaBottomUp + static_cast<size_t>(y) * static_cast<size_t>(w) * 4;
            for (int x = 0; x < w; x++)
                for (int c = 0; c < 3; c++)
                    row[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] = in[x * 4 + c];
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        result = 0;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) result = 1;
    return result;
}

std::string frameFileName(char const* pattern, int n) {
    std::string out;
    bool numbered = false;
    for (char const* p = pattern ? pattern : ""; *p; p++) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p++;
            continue;
        }
        // "%d" or "%0Nd" with at most two width digits.
        char const* q = p + 1;
        bool zero = *q == '0';
        if (zero) q++;
        int width = 0, digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*q)) && digits < 2) {
            width = width * 10 + (*q - '0');
            q++;
            digits++;
        }
        if (*q != 'd' || numbered) return std::string();
        char number[48];
        std::snprintf(number, sizeof number, zero ? "%0*d" : "%*d", width, n);
        out += number;
        numbered = true;
        p = q;
    }
    return out;
}
