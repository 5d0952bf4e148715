// Offscreen GL for the device tests: contexts (skipped only when no EGL display exists),
// read-back helpers, and a PNG of the frame when a check fails.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/glContext.h"
#include "support/esTransform.h"
#include "testSupport.h"

#define REQUIRE_GL()                                                                                         \
    if (!offscreenContextsAvailable()) DISPLAY_MISSING() << "no EGL display at all: " << lastContextError()

// Wraps a real context and counts the make-current calls that reach it.
class CcountingContext : public CglContext {
  public:
    explicit CcountingContext(CglContext* real) : inner(real) {
        pixelWidth = real->width();
        pixelHeight = real->height();
    }
    int makeCurrent() override {
        makes++;
        return inner->makeCurrent();
    }
    bool isCurrent() const override { return inner->isCurrent(); }
    void swap() override {
        swaps++;
        inner->swap();
    }
    int readPixels(int x, int y, int w, int h, uint8_t* out) override {
        return inner->readPixels(x, y, w, h, out);
    }

    std::unique_ptr<CglContext> inner;
    int makes = 0;
    int swaps = 0;
};

// The whole colour buffer, RGBA, bottom row first.
struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> px;
    uint8_t const* at(int x, int y) const { return &px[static_cast<size_t>((y * width + x) * 4)]; }
    // Pixels whose red, green or blue is above threshold.
    int litCount(int threshold = 0) const;
};
Frame readFrame(CglContext& context);
// Writes the frame as "<test name>.png" in the working folder when the running test has
// failed so far.
void dumpFrameIfFailed(Frame const& frame);

// A material script that draws the points' colours, unlit.
inline char const* const kColourMaterial =
    ":static diffuse\n"
    ":vshader \"varying vec4 c;\"\n"
    ":vshader \"void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; c = gl_Color; }\"\n"
    ":fshader \"varying vec4 c; void main() { gl_FragColor = c; }\"\n";

class CopenGL;
// Gives dev a new offscreen context of w x h as display 0 with an identity view projection
// and its capabilities read; false when either fails.
bool openTestDevice(CopenGL& dev, std::unique_ptr<CglContext>& context, int w, int h);
// Clears colour and depth to zero.
void clearColourAndDepth();

// Program texts that draw GL_POINTS of size 1 in white at "glVertex" (attribute 0) through
// the matrix uniform "m".
inline char const* const kPointVertex = "attribute vec4 glVertex; uniform mat4 m; void main() { gl_Position "
                                        "= m * glVertex; gl_PointSize = 1.0; }\n";
inline char const* const kPointFragment = "void main() { gl_FragColor = vec4(1.0); }\n";
// Draws one white point at p through matrix m with the program.
void drawPoint(unsigned program, ESMatrix const& m, float x, float y, float z);
