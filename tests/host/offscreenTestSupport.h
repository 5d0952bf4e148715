// Offscreen GL for the host's drawing tests: skipped where no EGL display exists. The last
// frame read is written as "<suite>_<test>.png" in the working folder when a check fails.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/frameFiles.h"
#include "host/glContext.h"
#include "host/glHeaders.h"
#include "testSupport.h"

#define REQUIRE_OFFSCREEN()                                                                                  \
    if (!offscreenContextsAvailable()) DISPLAY_MISSING() << "no EGL display: " << lastContextError()

struct ClastFrame {
    int width = 0, height = 0;
    std::vector<uint8_t> px;
    std::string test; // "<suite>_<test>", set as each test starts
    bool written = false;
};
inline ClastFrame lastFrameRead;

// Writes the frame checked when a test's first failure comes, once per test. (gtest holds
// its lock while reporting a result, so the test's name is taken as it starts.)
class CfailedFrameWriter : public ::testing::EmptyTestEventListener {
    void OnTestStart(::testing::TestInfo const& info) override {
        lastFrameRead = ClastFrame();
        lastFrameRead.test = std::string(info.test_suite_name()) + "_" + info.name();
    }
    void OnTestPartResult(::testing::TestPartResult const& result) override {
        ClastFrame& f = lastFrameRead;
        if (!result.failed() || f.px.empty() || f.written) return;
        f.written = writeFramePng((f.test + ".png").c_str(), f.width, f.height, f.px.data()) == 0;
    }
};
inline bool const failedFrameWriterInstalled =
    (::testing::UnitTest::GetInstance()->listeners().Append(new CfailedFrameWriter), true);

// The whole framebuffer of the context, bottom row first, four bytes a pixel.
inline std::vector<uint8_t> readAll(CglContext& c) {
    std::vector<uint8_t> px(static_cast<size_t>(c.width() * c.height() * 4));
    EXPECT_EQ(c.readPixels(0, 0, c.width(), c.height(), px.data()), 0);
    lastFrameRead.width = c.width(), lastFrameRead.height = c.height(), lastFrameRead.px = px;
    return px;
}
