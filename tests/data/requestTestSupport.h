// Shared helpers of the request tests: a shared resource tree of the test's own, and
// writers of the small image and array files the requests load.
#pragma once

#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "data/imageIO.h"
#include "dataTestSupport.h"
#include "variables/variable.h"

// Every test files its shared objects in a tree of its own, freed at the end.
class RequestTest : public DataArrayTest {
  protected:
    void SetUp() override {
        DataArrayTest::SetUp();
        sharedResourceTree = &shop;
        maxTexWidth = maxTexHeight = 4096;
    }
    void TearDown() override {
        shop.deleteChildren();
        sharedResourceTree = nullptr;
        maxTexWidth = maxTexHeight = 4096;
        DataArrayTest::TearDown();
    }

    // The node filed at path in the shared tree, or null.
    Cvariable* filed(std::string const& path) { return shop.findVariable(path.c_str()); }
    // dir without its trailing "/": the folder argument of a request.
    std::string folder() const { return dir.path().substr(0, dir.path().size() - 1); }

    CdirectoryVar shop;
    TempDir dir;
};

// A JPEG of uniform colour (quality 100), w x h.
inline void writeJpeg(std::string const& path, int w, int h, unsigned char r, unsigned char g,
                      unsigned char b) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row;
    for (int x = 0; x < w; x++)
        row.insert(row.end(), {r, g, b});
    for (int y = 0; y < h; y++) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

// An SGI file of w x h pixels and the given channels; channel c of pixel (x, y) holds
// value(x, y, c).
template <typename F> void writeSgi(std::string const& path, int w, int h, int channels, F value) {
    imageFile img(static_cast<uint16_t>(w), static_cast<uint16_t>(h), static_cast<uint16_t>(channels),
                  PIXEL_8BIT, 0, 2);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int c = 0; c < channels; c++)
                img.scanLines[y][(x * channels + c)] = static_cast<unsigned char>(value(x, y, c));
    ASSERT_EQ(img.saveSGI(path.c_str()), 1);
}
