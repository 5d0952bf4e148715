// Offscreen GL for the host's drawing tests: skipped where no EGL display exists.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "host/glContext.h"
#include "host/glHeaders.h"

#define REQUIRE_OFFSCREEN()                                                                                  \
    if (!offscreenContextsAvailable()) GTEST_SKIP() << "no EGL display: " << lastContextError()

// The whole framebuffer of the context, bottom row first, four bytes a pixel.
inline std::vector<uint8_t> readAll(CglContext& c) {
    std::vector<uint8_t> px(static_cast<size_t>(c.width() * c.height() * 4));
    EXPECT_EQ(c.readPixels(0, 0, c.width(), c.height(), px.data()), 0);
    return px;
}
