#include "glTestSupport.h"

#include <cstdio>

#include "graphics/graphicsGL.h"
#include "host/frameFiles.h"
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
    if (writeFramePng(path.c_str(), frame.width, frame.height, frame.px.data()) == 0)
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
