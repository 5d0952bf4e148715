#include "glTestSupport.h"

#include <png.h>

#include <cstdio>

#include "graphics/graphicsGL.h"
#include "host/glHeaders.h"

bool openTestDevice(CopenGL& dev, std::unique_ptr<CglContext>& context, int w, int h) {
    context.reset(createOffscreenContext(w, h));
    if (!context) return false;
    dev.context = context.get();
    dev.setDisplayIndex(0);
    dev.setNewWindowMetrics(Crect(0, float(w), 0, float(h)));
    esMatrixLoadIdentity(&dev.viewProjection);
    return dev.GetDeviceCapabilities() == 0;
}

void clearColourAndDepth() {
    glClearColor(0, 0, 0, 0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int Frame::litCount(int threshold) const {
    int n = 0;
    for (size_t i = 0; i < px.size(); i += 4)
        n += px[i] > threshold || px[i + 1] > threshold || px[i + 2] > threshold;
    return n;
}

Frame readFrame(CglContext& context) {
    Frame f;
    f.width = context.width();
    f.height = context.height();
    f.px.resize(static_cast<size_t>(f.width * f.height * 4));
    EXPECT_EQ(context.readPixels(0, 0, f.width, f.height, f.px.data()), 0);
    return f;
}

void dumpFrameIfFailed(Frame const& frame) {
    if (!::testing::Test::HasFailure() || frame.px.empty()) return;
    auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string(info->test_suite_name()) + "_" + info->name() + ".png";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pngInfo = png ? png_create_info_struct(png) : nullptr;
    if (png && pngInfo && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, pngInfo, static_cast<png_uint_32>(frame.width),
                     static_cast<png_uint_32>(frame.height), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, pngInfo);
        for (int y = frame.height - 1; y >= 0; y--) // top row first in the file
            png_write_row(png, frame.at(0, y));
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &pngInfo);
    std::fclose(file);
    std::printf("frame written to %s\n", path.c_str());
}

void drawPoint(unsigned program, ESMatrix const& m, float x, float y, float z) {
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "m"), 1, GL_FALSE, &m.m[0][0]);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisableVertexAttribArray(0);
    glBegin(GL_POINTS); // attribute 0 in immediate mode emits the vertex
    glVertexAttrib4f(0, x, y, z, 1.0f);
    glEnd();
    glUseProgram(0);
}
