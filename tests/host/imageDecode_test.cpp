// The picture decoders on files written here with the system's own encoders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include <jpeglib.h>
#include <png.h>

#include "data/imageIO.h"
#include "data/imageSource.h"
#include "host/hostServices.h"
#include "host/imageDecode.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

void appendPng(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// An 8-bit RGBA picture; rows top first.
Bytes encodePng(int width, int height, Bytes const& rows) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort(); // the tests only write sound pictures
    png_set_write_fn(png, &out, appendPng, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_bytep> rowStarts(height);
    for (int y = 0; y < height; y++)
        rowStarts[y] = const_cast<png_bytep>(rows.data() + y * width * 4);
    png_write_image(png, rowStarts.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An RGB picture; rows top first.
Bytes encodeJpeg(int width, int height, Bytes const& pixels) {
    int const components = 3;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + size_t(cinfo.next_scanline) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

void writeBytes(std::string const& path, Bytes const& bytes) {
    writeWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

// Pixel (x, y) of the picture counted from its top row, as the image holds it.
Bytes pictureAt(imageFile& im, int x, int yFromTop) {
    unsigned char* p = im.scanLines[im.height - 1 - yFromTop] + x * im.channels;
    return Bytes(p, p + im.channels);
}

// Two rows: red, green, half-covered orange over blue, white, fully transparent.
Bytes rgbaPicture() {
    return {255, 0, 0,   255, 0,   255, 0,   255, 200, 100, 50, 128,
            0,   0, 255, 255, 255, 255, 255, 255, 10,  20,  30, 0};
}

// Top half red, bottom half blue.
Bytes redOverBlue(int w, int h) {
    Bytes px;
    for (int i = 0; i < w * h; i++)
        px.insert(px.end(), {uint8_t(i < w * h / 2 ? 255 : 0), 0, uint8_t(i < w * h / 2 ? 0 : 255)});
    return px;
}

void expectNear(Bytes const& got, Bytes const& want, int tolerance) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++)
        EXPECT_NEAR(got[i], want[i], tolerance) << "channel " << i;
}

// Rows are stored bottom first; PNG colour is premultiplied by its alpha.
TEST(Decode, RowOrderChannelsAndColour) {
    TempDir dir;
    writeBytes(dir.file("p.png"), encodePng(3, 2, rgbaPicture()));
    imageFile im;
    ASSERT_EQ(OS::loadImageFile(im, dir.file("p.png").c_str()), 1);
    EXPECT_EQ(im.width, 3);
    EXPECT_EQ(im.height, 2);
    EXPECT_EQ(im.channels, 4);
    EXPECT_STREQ(im.format, "rgba");
    EXPECT_EQ(im.pixelType, PIXEL_8BIT);
    EXPECT_EQ(pictureAt(im, 0, 0), (Bytes{255, 0, 0, 255}));
    EXPECT_EQ(pictureAt(im, 2, 0), (Bytes{100, 50, 25, 128}));
    EXPECT_EQ(pictureAt(im, 0, 1), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(pictureAt(im, 2, 1), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(im.scanLines[1][0], 255); // the picture's top-left pixel opens the last row

    writeBytes(dir.file("rb.jpg"), encodeJpeg(16, 16, redOverBlue(16, 16)));
    imageFile jpeg;
    ASSERT_EQ(OS::loadImageFile(jpeg, dir.file("rb.jpg").c_str()), 1);
    EXPECT_EQ(jpeg.width, 16);
    EXPECT_EQ(jpeg.height, 16);
    EXPECT_STREQ(jpeg.format, "rgba"); // opaque alpha added
    expectNear(Bytes(jpeg.scanLines[15], jpeg.scanLines[15] + 4), {255, 0, 0, 255}, 6);
    expectNear(Bytes(jpeg.scanLines[0] + 60, jpeg.scanLines[0] + 64), {0, 0, 255, 255}, 6);
}

TEST(FtiFiles, ScrambleRoundTripsEveryLength) {
    std::mt19937 rng(5);
    for (size_t n = 0; n < 40; n++) {
        Bytes plain(n);
        for (auto& b : plain)
            b = static_cast<unsigned char>(rng());
        Bytes stored = ftiScramble(plain.data(), plain.size());
        ASSERT_EQ(stored.size(), n);
        if (n >= 8) {
            EXPECT_NE(stored, plain);
        }
        stored.resize(n + 3, 0xAA); // whatever the spare bytes hold
        ftiUnscramble(stored.data(), n);
        ASSERT_EQ(Bytes(stored.begin(), stored.begin() + n), plain) << n;
    }
}

TEST(DecodeRefusals, UnsupportedSuffixesAndWrongContent) {
    TempDir dir;
    Bytes png = encodePng(3, 2, rgbaPicture());
    for (char const* name : {"a.gif", "a.bmp", "a.tif", "a.TIFF", "a.jpg", "a.fti"}) {
        writeBytes(dir.file(name), png);
        imageFile im;
        EXPECT_EQ(im.loadImage(dir.file(name).c_str(), true), 0) << name;
        EXPECT_FALSE(im.hasPixels());
    }
    imageFile viaLoader;
    writeBytes(dir.file("ok.PNG"), png);
    EXPECT_EQ(viaLoader.loadImage(dir.file("ok.PNG").c_str(), true), 1);
}

TEST(DecodeRefusals, MalformedFilesFailAndLeaveTheImageAlone) {
    resetExitState();
    TempDir dir;
    Bytes png = encodePng(3, 2, rgbaPicture());
    Bytes jpeg = encodeJpeg(16, 16, redOverBlue(16, 16));
    Bytes badCrc = png;
    badCrc[45] ^= 0x55; // inside the image data, so its checksum fails
    Bytes jpegNoise = jpeg;
    for (size_t i = jpeg.size() / 2; i < jpeg.size() - 2; i++)
        jpegNoise[i] = static_cast<unsigned char>(i * 7);
    struct Case {
        char const* name;
        Bytes bytes;
    } cases[] = {
        {"empty.png", {}},
        {"empty.jpg", {}},
        {"signatureOnly.png", Bytes(png.begin(), png.begin() + 8)},
        {"headerCut.png", Bytes(png.begin(), png.begin() + 30)},
        {"half.png", Bytes(png.begin(), png.begin() + png.size() / 2)},
        {"withoutItsEnd.png", Bytes(png.begin(), png.end() - 1)},
        {"badChecksum.png", badCrc},
        {"startMarkerOnly.jpg", {0xFF, 0xD8}},
        {"half.jpg", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
        {"noise.jpg", jpegNoise},
        {"text.jpeg", {'h', 'e', 'l', 'l', 'o'}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir.file(c.name), c.bytes);
        imageFile im(5, 5, 3, PIXEL_8BIT, 0, 1);
        im.scanLines[2][2] = 99;
        im.forcedChannels = 2;
        EXPECT_EQ(OS::loadImageFile(im, dir.file(c.name).c_str()), 0);
        EXPECT_EQ(im.width, 5);
        EXPECT_EQ(im.scanLines[2][2], 99);
        EXPECT_EQ(im.forcedChannels, 2);
    }
    imageFile missing;
    EXPECT_EQ(OS::loadImageFile(missing, dir.file("none.png").c_str()), 0);
    EXPECT_EQ(OS::loadImageFile(missing, nullptr), 0);
    EXPECT_EQ(exitSaver, 0);
}

} // namespace
