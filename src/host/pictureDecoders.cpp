#include "host/pictureDecoders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "data/imageIO.h"
#include "support/cerr.h"

bool PictureSink::begin(long srcW, long srcH) {
    long w = std::min<long>(srcW / std::max(1, reducerX), maxWidth);
    long h = std::min<long>(srcH / std::max(1, reducerY), maxHeight);
    if (w < 1 || h < 1 || w > 65535 || h > 65535 || size_t(w) * size_t(h) * 4 > maxImageBytes) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    stepX = static_cast<int>(srcW / w);
    stepY = static_cast<int>(srcH / h);
    rgba.assign(size_t(w) * size_t(h) * 4, 0);
    return true;
}

void PictureSink::row(long r, unsigned char const* pixels, int bytesPerPixel) {
    if (r % stepY || r / stepY >= height) return;
    unsigned char* out = rgba.data() + size_t(r / stepY) * width * 4;
    for (int x = 0; x < width; x++, out += 4) {
        unsigned char const* in = pixels + size_t(x) * stepX * bytesPerPixel;
        unsigned a = bytesPerPixel == 4 ? in[3] : 255;
        for (int c = 0; c < 3; c++)
            out[c] = static_cast<unsigned char>((in[c] * a + 127) / 255);
        out[3] = static_cast<unsigned char>(a);
    }
}

namespace {

struct JpegErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    VTRACE(2, "jpeg: " << text);
    longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings mean corrupt data (a truncated file, a broken code): the picture is refused.
void jpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) jpegFail(cinfo);
}

struct PngInput {
    unsigned char const* data;
    size_t size, pos;
};

[[noreturn]] void pngFail(png_structp png, png_const_charp text) {
    VTRACE(2, "png: " << text);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp text) {
    VTRACE(2, "png warning: " << text);
}

void pngRead(png_structp png, png_bytep out, size_t length) {
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > in->size - in->pos) png_error(png, "file is truncated");
    std::memcpy(out, in->data + in->pos, length);
    in->pos += length;
}

} // namespace

// The row buffers live in the caller's frame so that a long jump out of the library
// leaves nothing of this frame to clean up but the library's own state.
static bool readJpeg(unsigned char const* data, size_t size, PictureSink& sink,
                     std::vector<unsigned char>& line) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpegFail;
    errors.pub.emit_message = jpegMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    // Huffman coding spends at least one bit on every 8x8 block of the most finely sampled
    // component, which covers at least a sixteenth of the picture: a file too short for
    // that is cut off, and is refused before the library reserves its buffers.
    double blocks = double(cinfo.image_width) * double(cinfo.image_height) / (64.0 * 16.0);
    if (!cinfo.arith_code && double(size) * 8 < blocks) {
        VTRACE(2,
               "jpeg: " << size << " bytes cannot hold " << cinfo.image_width << "x" << cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.mem->max_memory_to_use = static_cast<long>(maxImageBytes);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || !sink.begin(cinfo.output_width, cinfo.output_height)) {
        VTRACE(2, "jpeg: unusable size or colour layout");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    line.resize(size_t(cinfo.output_width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        long r = cinfo.output_scanline;
        JSAMPROW rows[1] = {line.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        sink.row(r, line.data(), 3);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

static bool readPng(unsigned char const* data, size_t size, PictureSink& sink,
                    std::vector<unsigned char>& line, std::vector<unsigned char>& whole) {
    if (size < 8 || png_sig_cmp(data, 0, 8)) {
        VTRACE(2, "png: not a PNG file");
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    PngInput input{data, size, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &input, pngRead);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    // Deflate shrinks data at most about 1032 times: a file too short for the rows it
    // declares is cut off, and is refused before any row buffer is made.
    double rawBytes = double(h) * (1.0 + double(png_get_rowbytes(png, info)));
    if (double(size) * 1032.0 + 1024.0 < rawBytes) {
        VTRACE(2, "png: " << size << " bytes cannot hold " << w << "x" << h);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    // An interlaced picture keeps every row until the last pass, beside the result.
    bool fits = rowBytes == size_t(w) * 4 && (passes == 1 || rowBytes * h <= maxImageBytes / 2);
    if (!fits || !sink.begin(w, h)) {
        VTRACE(2, "png: unusable size or colour layout");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (passes == 1) {
        line.resize(rowBytes);
        for (png_uint_32 r = 0; r < h; r++) {
            png_read_row(png, line.data(), nullptr);
            sink.row(r, line.data(), 4);
        }
    } else { // interlaced: every row stays at hand until the last pass
        whole.resize(rowBytes * h);
        for (int pass = 0; pass < passes; pass++)
            for (png_uint_32 r = 0; r < h; r++)
                png_read_row(png, whole.data() + r * rowBytes, nullptr);
        for (png_uint_32 r = 0; r < h; r++)
            sink.row(r, whole.data() + r * rowBytes, 4);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool decodeJpegPicture(unsigned char const* data, size_t size, PictureSink& sink) {
    std::vector<unsigned char> line;
    return readJpeg(data, size, sink, line);
}

bool decodePngPicture(unsigned char const* data, size_t size, PictureSink& sink) {
    std::vector<unsigned char> line, whole;
    return readPng(data, size, sink, line, whole);
}
