// Shaders, vertex buffers and the per-draw state of the OpenGL device, drawn under EGL
// surfaceless: a coloured textured quad, wireframe, the state cache, failures, and work
// objects' vertex streams when the device is freed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "glTestSupport.h"
#include "graphics/glBuffers.h"
#include "graphics/glDeviceData.h"
#include "graphics/glShader.h"
#include "graphics/graphicsGL.h"
#include "graphics/material.h"
#include "graphics/renderStreamSource.h"
#include "graphics/textureImage.h"
#include "graphics/textureStage.h"
#include "host/glHeaders.h"
#include "support/traceCapture.h"

namespace {

char const* const vertexText =
    "attribute vec4 glVertex; attribute vec4 glColor; attribute vec2 glTexCoord0;\n"
    "uniform mat4 glModelViewProjectionMatrix; varying vec4 c; varying vec2 uv;\n"
    "void main() { gl_Position = glModelViewProjectionMatrix * glVertex; c = glColor; uv = glTexCoord0; }\n";
char const* const fragmentText = "uniform sampler2D tex1; varying vec4 c; varying vec2 uv;\n"
                                 "void main() { gl_FragColor = c * texture2D(tex1, uv); }\n";

// One point of the quad's stream: position, colour bytes, texture coordinate.
struct Point {
    float x, y, z;
    uint8_t rgba[4];
    float u, v;
};
static_assert(sizeof(Point) == 24);

void copyPoints(void* context, void* destination) {
    auto* points = static_cast<std::vector<Point>*>(context);
    std::memcpy(destination, points->data(), points->size() * sizeof(Point));
}

// A device with an offscreen context of 64 x 32, identity projections (positions are clip
// coordinates), and one quad model: stream 0 of position, colour and texture coordinate.
class GlDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GL();
        ASSERT_TRUE(openTestDevice(dev, context, 64, 32)) << exitMsg.c_str();
        esMatrixLoadIdentity(&dev.flatProjection);
        uint16_t masks[3] = {CHAN_POSITION | CHAN_DIFFUSE | CHAN_TEX1, 0, 0};
        layout = layoutStreams(masks, 0, 3);
        ASSERT_EQ(layout.strideFloats[0], 6u);
        shader = new CglslShader;
        shader->linkTo(&dev);
        dev.shaders.push_back(shader);
        ASSERT_EQ(shader->build(&dev, "quad", vertexText, fragmentText), 0) << exitMsg.c_str();
        texArray.init(1, 1, 1, 3, 1);
        texArray.byteData[0] = 128, texArray.byteData[1] = 255, texArray.byteData[2] = 255;
        ASSERT_EQ(dev.imageTotexMap(&texture, &texArray), 0);
        uint16_t const indices[6] = {0, 1, 2, 0, 2, 3};
        CopenGLbuffer* index = makeIndexBuffer(&dev, indices, 2);
        ASSERT_TRUE(index);
        call.shader = shader;
        call.layout = &layout;
        call.indexBuffer = index->id;
        call.triangleCount = 2;
        call.textures[0] = dev.textureHandle(&texture);
        call.textureCount = 1;
        dev.perFrameGraphicsSetup();
        clear();
    }
    void TearDown() override { dev.release(); }

    // Makes a vertex buffer of the quad from x0 to x1 (clip x), full height, at depth z.
    uint32_t quad(float x0, float x1, float z, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        std::vector<Point> points = {{x0, -1, z, {r, g, b, a}, 0.5f, 0.5f},
                                     {x1, -1, z, {r, g, b, a}, 0.5f, 0.5f},
                                     {x1, 1, z, {r, g, b, a}, 0.5f, 0.5f},
                                     {x0, 1, z, {r, g, b, a}, 0.5f, 0.5f}};
        long bytes = static_cast<long>(points.size() * sizeof(Point));
        CopenGLbuffer* b0 = makeBuffer(&dev, GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
        EXPECT_TRUE(b0);
        EXPECT_EQ(fillArrayBuffer(b0, bytes, copyPoints, &points), 0);
        return b0 ? b0->id : 0;
    }
    void clear() {
        clearColourAndDepth();
        dev.geoToDisplay(nullptr);
    }
    static bool depthWrites() {
        GLboolean writes = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
        return writes;
    }

    TraceCapture trace{1};
    std::unique_ptr<CglContext> context;
    CopenGL dev;
    CstreamLayout layout;
    CglslShader* shader = nullptr;
    CdataArray texArray;
    CtextureImage texture;
    CdrawCall call;
};

TEST_F(GlDraw, ColouredTexturedQuadCoversItsPixels) {
    call.streamBuffers[0] = quad(-1, 0, 0, 255, 255, 0, 255);
    ASSERT_EQ(dev.drawPrepared(call), 0);
    Frame f = readFrame(*context);
    // Colour (1, 1, 0) times texel (128, 255, 255): exact products, on the left half only.
    int exact = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            exact += f.at(x, y)[0] == 128 && f.at(x, y)[1] == 255 && f.at(x, y)[2] == 0;
    EXPECT_EQ(exact, 32 * 32);
    EXPECT_EQ(f.litCount(), 32 * 32);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(depthWrites());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    dumpFrameIfFailed(f);
}

TEST_F(GlDraw, WireframeDrawsOnlyEdges) {
    call.streamBuffers[0] = quad(-0.5f, 0.5f, 0, 255, 255, 255, 255);
    dev.wireframe = 1;
    dev.drawPrepared(call);
    Frame f = readFrame(*context);
    int lit = f.litCount();
    EXPECT_GT(lit, 32);      // at least the outline
    EXPECT_LT(lit, 32 * 16); // far fewer than the filled quad's pixels
    // Inside the quad, off its edges and its diagonal, nothing is drawn.
    EXPECT_EQ(f.at(40, 8)[0], 0);
    EXPECT_EQ(f.at(20, 24)[0], 0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    dumpFrameIfFailed(f);
    dev.wireframe = 0;
    clear();
    dev.drawPrepared(call);
    EXPECT_EQ(readFrame(*context).litCount(), 32 * 32);
}

TEST_F(GlDraw, StateCacheSwitchesProgramsOnlyWhenNeeded) {
    call.streamBuffers[0] = quad(-1, 1, 0, 255, 255, 255, 255);
    int before = dev.totalMaterialChanges;
    for (int i = 0; i < 3; i++)
        dev.drawPrepared(call);
    EXPECT_EQ(dev.totalMaterialChanges - before, 1);
    dev.stereoMode = true;
    dev.drawPrepared(call);
    dev.drawPrepared(call);
    EXPECT_EQ(dev.totalMaterialChanges - before, 3);
    dev.stereoMode = false;
    // A material with fewer stages turns the spare units off.
    call.textureCount = 3;
    call.textures[1] = call.textures[2] = call.textures[0];
    dev.drawPrepared(call);
    EXPECT_EQ(dev.texUnitsInUse, 3);
    call.textureCount = 1;
    dev.drawPrepared(call);
    EXPECT_EQ(dev.texUnitsInUse, 1);
    EXPECT_EQ(dev.texUnitEnabled[2], 0);
    EXPECT_EQ(dev.boundTexture[1], ~0u);
    // Nothing to draw: no triangles, or a stream without its buffer.
    call.triangleCount = 0;
    EXPECT_EQ(dev.drawPrepared(call), 1);
    call.triangleCount = 2;
    call.streamBuffers[0] = 0;
    EXPECT_EQ(dev.drawPrepared(call), 1);
}

TEST_F(GlDraw, StreamsAreSetAgainWhenTheirBuffersChange) {
    // Two quads through the same layout, drawn in turn: each draw must take its own buffer.
    uint32_t left = quad(-1, 0, 0, 255, 0, 0, 255);
    uint32_t right = quad(0, 1, 0, 0, 255, 0, 255);
    for (uint32_t b : {left, right, left}) {
        call.streamBuffers[0] = b;
        ASSERT_EQ(dev.drawPrepared(call), 0);
    }
    Frame f = readFrame(*context);
    EXPECT_EQ(f.at(8, 16)[0], 128); // red times the texel's 128
    EXPECT_EQ(f.at(8, 16)[1], 0);
    EXPECT_EQ(f.at(56, 16)[0], 0);
    EXPECT_EQ(f.at(56, 16)[1], 255);
    dumpFrameIfFailed(f);
    // A buffer deleted and a new one made (GL may hand out the same name again): the new
    // one's points are drawn, not the old pointers'.
    std::vector<Point> blue = {{0, -1, 0, {0, 0, 255, 255}, 0.5f, 0.5f},
                               {1, -1, 0, {0, 0, 255, 255}, 0.5f, 0.5f},
                               {1, 1, 0, {0, 0, 255, 255}, 0.5f, 0.5f},
                               {0, 1, 0, {0, 0, 255, 255}, 0.5f, 0.5f}};
    long bytes = static_cast<long>(blue.size() * sizeof(Point));
    CopenGLbuffer* gone = makeBuffer(&dev, GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    ASSERT_TRUE(gone);
    ASSERT_EQ(fillArrayBuffer(gone, bytes, copyPoints, &blue), 0);
    call.streamBuffers[0] = gone->id;
    ASSERT_EQ(dev.drawPrepared(call), 0);
    gone->removeAllLinks();
    CopenGLbuffer* made = makeBuffer(&dev, GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    ASSERT_TRUE(made);
    ASSERT_EQ(fillArrayBuffer(made, bytes, copyPoints, &blue), 0);
    clear();
    call.streamBuffers[0] = made->id;
    ASSERT_EQ(dev.drawPrepared(call), 0);
    Frame g = readFrame(*context);
    EXPECT_EQ(g.at(56, 16)[2], 255);
    EXPECT_EQ(g.litCount(), 32 * 32);
    dumpFrameIfFailed(g);
}

TEST_F(GlDraw, ShaderFailuresGiveTheirTexts) {
    struct Case {
        char const* what;
        char const* vertex;
        char const* fragment;
        char const* error;
    };
    Case const cases[] = {
        {"no vertex text", "", fragmentText, "need both shaders"},
        {"no fragment text", vertexText, "", "need both shaders"},
        {"vertex does not compile", "void main() { gl_Position = nonsense; }\n", fragmentText,
         "bad Vertex Shader. "},
        {"fragment does not compile", vertexText, "void main() { gl_FragColor = ; }\n",
         "bad fragment Shader. "},
        {"varyings disagree", "varying vec2 v; void main() { v = vec2(1.0); gl_Position = vec4(0.0); }\n",
         "varying vec3 v; void main() { gl_FragColor = vec4(v, 1.0); }\n", "shader program did not link. "},
    };
    for (auto const& c : cases) {
        resetExitState();
        CglslShader s;
        EXPECT_EQ(s.build(&dev, c.what, c.vertex, c.fragment), 1) << c.what;
        EXPECT_STREQ(exitReasonList.empty() ? "" : exitReasonList[0].c_str(), c.error) << c.what;
        s.freeShader();
        EXPECT_EQ(s.vertexShader, 0u);
        EXPECT_EQ(s.program[0], 0u);
    }
    resetExitState();
}

// A material with the quad's program texts and one stage showing image (null: a stage
// without an image).
void setUpMaterial(Cmaterial& m, char const* vertex, CtextureImage* image) {
    m.setName("glass");
    m.vertexShader = vertex;
    m.fragShader = fragmentText;
    auto* stage = new CtextureStage;
    m.texStages->addVariable(stage, 1);
    setTexImage(&stage->tex, image);
    m.numStages = 1;
}

TEST_F(GlDraw, MaterialFailuresAreRecordedAndNotRetried) {
    struct Case {
        char const* what;
        char const* vertex;
        bool withImage;
        char const* reason;
        char const* message;
    };
    Case const cases[] = {
        {"bad vertex text", "void main() { nonsense }\n", true, "bad Vertex Shader. ",
         "bad Vertex Shader. couldn't init material glass of fish"},
        {"stage without a texture", vertexText, false, "blank", "blank"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        resetExitState();
        CtextureImage* image = c.withImage ? new CtextureImage : nullptr;
        Cmaterial m;
        setUpMaterial(m, c.vertex, image);
        CdrawCall d;
        size_t programs = dev.shaders.size();
        EXPECT_EQ(dev.prepareMaterialDraw(&m, "fish", nullptr, false, false, d), 1);
        EXPECT_EQ(dev.prepareMaterialDraw(&m, "fish", nullptr, false, false, d), 1);
        EXPECT_EQ(dev.shaders.size(), programs + 1); // made once, kept registered
        ASSERT_FALSE(exitReasonList.empty());
        EXPECT_STREQ(exitReasonList[0].c_str(), c.reason);
        EXPECT_EQ(std::string(exitMsg.c_str()).rfind(c.message, 0), 0u) << exitMsg.c_str();
        dev.freeAPIgraphicsResources();
        EXPECT_EQ(m.shaders[0], nullptr);
    }
    resetExitState();
}

TEST_F(GlDraw, MaterialsOfTheSameTextsShareOneProgram) {
    CtextureImage* images[3] = {new CtextureImage, new CtextureImage, new CtextureImage};
    for (CtextureImage* image : images)
        ASSERT_EQ(dev.imageTotexMap(image, &texArray), 0);
    // Two materials with the fixture's texts, one whose fragment halves the colour.
    Cmaterial same1, same2, other;
    setUpMaterial(same1, vertexText, images[0]);
    setUpMaterial(same2, vertexText, images[1]);
    setUpMaterial(other, vertexText, images[2]);
    other.fragShader = "uniform sampler2D tex1; varying vec4 c; varying vec2 uv;\n"
                       "void main() { gl_FragColor = 0.5 * c * texture2D(tex1, uv); }\n";
    size_t sets = dev.programSets.size();
    CglslShader* a = dev.shaderForMaterial(&same1, "fish");
    CglslShader* b = dev.shaderForMaterial(&same2, "fish");
    CglslShader* c = dev.shaderForMaterial(&other, "fish");
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a, b); // each material keeps its own record
    for (int v = 0; v < 2; v++) {
        EXPECT_EQ(a->program[v], shader->program[v]) << v;
        EXPECT_EQ(b->program[v], shader->program[v]) << v;
        EXPECT_NE(c->program[v], shader->program[v]) << v;
    }
    EXPECT_EQ(dev.programSets.size(), sets + 1);

    // Drawn in turn, each through its own material: the shared program draws both alike.
    auto drawWith = [&](Cmaterial& m, float x0, float x1) {
        CdrawCall d = call;
        ASSERT_EQ(dev.prepareMaterialDraw(&m, "fish", nullptr, false, false, d), 0);
        d.streamBuffers[0] = quad(x0, x1, 0, 255, 255, 255, 255);
        ASSERT_EQ(dev.drawPrepared(d), 0);
    };
    drawWith(same1, -1, -0.5f);
    drawWith(other, -0.5f, 0);
    drawWith(same2, 0, 1);
    Frame f = readFrame(*context);
    EXPECT_EQ(f.at(4, 16)[0], 128);
    EXPECT_EQ(f.at(4, 16)[1], 255);
    EXPECT_EQ(f.at(20, 16)[1], 128);
    EXPECT_EQ(f.at(48, 16)[0], 128);
    EXPECT_EQ(f.at(48, 16)[1], 255);
    dumpFrameIfFailed(f);

    // Freeing one user keeps the program for the others; the last one deletes it.
    uint32_t program = a->program[0];
    a->freeShader();
    EXPECT_EQ(same1.shaders[0], nullptr);
    EXPECT_EQ(a->program[0], 0u);
    EXPECT_TRUE(glIsProgram(program));
    clear();
    drawWith(same2, -1, 1);
    EXPECT_EQ(readFrame(*context).at(32, 16)[1], 255);
    shader->freeShader();
    EXPECT_TRUE(glIsProgram(program));
    dev.geoToDisplay(nullptr); // no program in use: GL deletes at once
    b->freeShader();
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_EQ(dev.programSets.size(), sets);
    // A material whose program went is given a new one at its next draw.
    CglslShader* again = dev.shaderForMaterial(&same2, "fish");
    ASSERT_TRUE(again);
    EXPECT_NE(again->program[0], 0u);
    EXPECT_EQ(dev.programSets.size(), sets + 1);
    dev.freeAPIgraphicsResources();
    EXPECT_TRUE(dev.programSets.empty());
    EXPECT_EQ(other.shaders[0], nullptr);
}

TEST_F(GlDraw, BuffersAreCountedAndAMappedOneIsRefused) {
    int before = vertexBuffersAlloced;
    uint16_t const indices[3] = {0, 1, 2};
    CopenGLbuffer* a = makeIndexBuffer(&dev, indices, 1);
    CopenGLbuffer* b = makeBuffer(&dev, GL_ARRAY_BUFFER, 96, nullptr, GL_STREAM_DRAW);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(vertexBuffersAlloced, before + 2);
    EXPECT_GE(maxVertexBuffersAlloced, vertexBuffersAlloced);
    EXPECT_EQ(makeIndexBuffer(&dev, indices, 0), nullptr);
    // A buffer that is already mapped cannot be mapped again: recorded, no crash.
    resetExitState();
    glBindBuffer(GL_ARRAY_BUFFER, b->id);
    ASSERT_NE(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY), nullptr);
    std::vector<Point> none(4);
    EXPECT_EQ(fillArrayBuffer(b, 96, copyPoints, &none), 1);
    EXPECT_STREQ(exitReasonList.empty() ? "" : exitReasonList[0].c_str(),
                 "openGL Error! If this problem persists please send an error report.");
    glBindBuffer(GL_ARRAY_BUFFER, b->id);
    glUnmapBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    resetExitState();
    dev.lockBytesSentToVideoCard = INT32_MAX; // a few minutes of a long run: the count goes on
    EXPECT_EQ(fillArrayBuffer(b, 96, copyPoints, &none), 0);
    EXPECT_EQ(dev.lockBytesSentToVideoCard - INT32_MAX, 96);
}

// A model shared by its instances: a quad's colours in the static stream and, per
// instance, positions in the dynamic stream.
struct QuadModel {
    ClinkedResourceNode* shared[8] = {};
    uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    ClinkedResourceNode* indexBuffers[8] = {}; // as a poly-group definition keeps them
};

// What its streams hold is never drawn here.
class QuadInstance : public CrenderStreamSource {
  public:
    explicit QuadInstance(QuadModel& m) : model(m) {}
    int streamPointCount() override { return 4; }
    int floatsPerPosition() override { return 3; }
    int modelApiFormat() override { return 0; }
    void streamChannelMasks(uint16_t masks[3]) override {
        masks[0] = CHAN_DIFFUSE;
        masks[1] = CHAN_POSITION;
        masks[2] = 0;
    }
    void setChannelOffset(int, int) override {}
    void copyIntoStream(float*, int, uint16_t) override {}
    ClinkedResourceNode** sharedStaticBuffer(int displayIndex) override {
        return &model.shared[displayIndex];
    }

    QuadModel& model;
};

// A handler for the instance, linked to the device as a work object links it.
CworkObjectGraphicsDeviceDataHandlerOpenGL* handlerFor(CopenGL& device, QuadInstance& instance) {
    auto* h = static_cast<CworkObjectGraphicsDeviceDataHandlerOpenGL*>(device.initDeviceData(nullptr));
    h->linkTo(&device);
    EXPECT_EQ(h->init(&device, &instance), 0);
    return h;
}

TEST_F(GlDraw, FreeingTheDeviceLeavesNoStreamBuffersOrDanglingSlots) {
    QuadModel model;
    QuadInstance a(model), b(model);
    int before = vertexBuffersAlloced;
    auto* ha = handlerFor(dev, a);
    void* workObjectSlot = ha; // the work object's pointer to its handler
    ha->addPointerToClear(&workObjectSlot);
    handlerFor(dev, b);
    uint32_t index = fetchIndexBuffer(&dev, model.indexBuffers[0], model.indices, 2);
    uint32_t shared = static_cast<CopenGLbuffer*>(model.shared[0])->id;
    EXPECT_NE(index, 0u);
    dev.freeAPIgraphicsResources();
    EXPECT_EQ(vertexBuffersAlloced, before - 1); // the fixture's index buffer went too
    EXPECT_EQ(model.shared[0], nullptr);
    EXPECT_EQ(model.indexBuffers[0], nullptr);
    EXPECT_EQ(workObjectSlot, nullptr);
    EXPECT_FALSE(glIsBuffer(shared));
    EXPECT_FALSE(glIsBuffer(index));
    EXPECT_EQ(dev.numLinks(), 0);
    dev.freeAPIgraphicsResources(); // again: nothing left to do
    EXPECT_EQ(vertexBuffersAlloced, before - 1);
}

} // namespace
