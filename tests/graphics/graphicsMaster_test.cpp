// The display device without GL: window metrics, the interface viewport, fog, bad cards,
// and teardown through a recording subclass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/graphicsMaster.h"
#include "graphics/shader.h"
#include "graphics/textureImage.h"
#include "support/traceCapture.h"

namespace {

void expectRect(Crect const& r, Crect const& e) {
    EXPECT_NEAR(r.minx, e.minx, 1e-4f);
    EXPECT_NEAR(r.maxx, e.maxx, 1e-4f);
    EXPECT_NEAR(r.miny, e.miny, 1e-4f);
    EXPECT_NEAR(r.maxy, e.maxy, 1e-4f);
}

TEST(GraphicsDevice, WindowMetricsGuiViewportAndScreenConversion) {
    struct Case {
        float w, h;
        float maxx, maxy;
        float px, py, gx, gy; // a window pixel and its interface coordinates
    };
    Case const cases[] = {
        {1920, 1080, 1.77778f, 1, 960, 540, 0.88889f, 0.5f},
        {1080, 1920, 1, 1.77778f, 1080, 480, 1, 0.44444f},
        {500, 500, 1, 1, 125, 0, 0.25f, 0},
    };
    for (auto const& c : cases) {
        CgraphicsAPI d;
        d.windowRect = Crect(0, c.w, 0, c.h);
        ASSERT_EQ(d.applyNewWindowMetrics(), 1);
        expectRect(d.guiViewportRect, Crect(0, c.maxx, 0, c.maxy));
        float x = c.px, y = c.py;
        d.convertScreenCoordsToGUIviewport(x, y);
        EXPECT_NEAR(x, c.gx, 1e-4f) << c.w << "x" << c.h;
        EXPECT_NEAR(y, c.gy, 1e-4f) << c.w << "x" << c.h;
    }
    // Applying the same size again leaves the interface viewport as it is.
    CgraphicsAPI d;
    d.windowRect = Crect(0, 1920, 0, 1080);
    d.applyNewWindowMetrics();
    d.guiViewportRect = Crect(5, 6, 7, 8);
    EXPECT_EQ(d.applyNewWindowMetrics(), 0);
    expectRect(d.guiViewportRect, Crect(5, 6, 7, 8));
    d.windowRect = Crect(0, 2, 0, 500); // too narrow: refused, nothing stored
    EXPECT_EQ(d.applyNewWindowMetrics(), -1);
    EXPECT_EQ(d.isActive, 0);
    EXPECT_EQ(d.width, 1920);
}

TEST(GraphicsDevice, FogEndFollowsTheFade) {
    struct Fog {
        float fade, end, offset, factor;
    };
    float const f = 0.378929f; // 0.5 ^ 1.4
    for (Fog g : {Fog{1.0f, -1000, 0, 1}, Fog{0.999f, 50, 0, 0.999f},
                  Fog{0.5f, -1000, (f - 1) * -1000 / f, f}, Fog{-2.0f, 10, 0, 1}}) {
        auto r = CgraphicsAPI::getFogEnd(g.fade, g.end);
        EXPECT_NEAR(r.factor, g.factor, 1e-4f) << g.fade;
        EXPECT_NEAR(r.offset, g.offset, 1e-2f) << g.fade;
    }
}

TEST(GraphicsDevice, BadCardNamesAndCapabilities) {
    struct Card {
        char const* name;
        int bad;
    };
    for (Card c : {Card{"SiS Mirage", 1}, Card{"llvmpipe (LLVM 15.0.6, 256 bits)", 0}, Card{"", 0}}) {
        TraceCapture trace(1);
        doNotSendReport = 0;
        graphicsCards = c.name;
        CgraphicsAPI d;
        EXPECT_EQ(d.checkForBadCard(), c.bad) << c.name;
        EXPECT_EQ(doNotSendReport, c.bad);
        EXPECT_EQ(exitSaver, c.bad);
    }
    graphicsCards = "";
    doNotSendReport = 0;
    CgraphicsAPI d;
    maxTexUnits = 0;
    EXPECT_EQ(d.verifyGraphicsCapabilities(), 1);
    EXPECT_EQ(d.GetDeviceCapabilities(), 0); // defaults that pass the check
    EXPECT_EQ(d.verifyGraphicsCapabilities(), 0);
}

// A device that records texture traffic instead of calling GL.
class CrecordingDevice : public CgraphicsAPI {
  public:
    int imageTotexMap(CtextureImage* t, CdataArray* a) override {
        if (!a) return 1;
        setTextureHandle(t, nextName++);
        registerTexture(t);
        return 0;
    }
    void freeTexture(CtextureImage* t, int remove) override {
        if (!textureHandle(t)) return;
        freed.push_back(textureHandle(t));
        if (remove) removeTexture(t);
        setTextureHandle(t, 0);
    }
    bool contextIsAvailable() override { return hasContext; }
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (!g) resets++;
        return 0;
    }

    bool hasContext = true;
    int resets = 0;
    uint32_t nextName = 11;
    std::vector<uint32_t> freed;
};

// A node that counts its own release from the resource graph.
struct CcountedNode : ClinkedResourceNode {
    explicit CcountedNode(int* released) : released(released) {}
    ~CcountedNode() override { (*released)++; }
    int* released;
};

struct CrecordingShader : Cshader {
    explicit CrecordingShader(int* frees) : frees(frees) {}
    void freeShader() override { (*frees)++; }
    int* frees;
};

TEST(GraphicsDevice, FreeingResourcesTwiceIsHarmless) {
    TraceCapture trace(3);
    int released = 0, shaderFrees = 0;
    CrecordingDevice d;
    d.setDisplayIndex(1);
    CtextureImage withHandle, withoutHandle;
    CdataArray array;
    withHandle.array = &array;
    d.fetchTexture(&withHandle);
    d.registerTexture(&withoutHandle);
    // Two buffers, one of them also held by another owner, and a shader.
    CgraphicsAPI other;
    auto* alone = new CcountedNode(&released);
    auto* shared = new CcountedNode(&released);
    alone->linkTo(&d);
    shared->linkTo(&d);
    shared->linkTo(&other);
    shared->linkTo(&other);
    auto* shader = new CrecordingShader(&shaderFrees);
    shader->linkTo(&d);
    d.shaders.push_back(shader);

    d.freeAPIgraphicsResources();
    EXPECT_EQ(d.numLinks(), 0);
    EXPECT_TRUE(d.textures.empty());
    EXPECT_EQ(d.freed, (std::vector<uint32_t>{11}));
    EXPECT_EQ(d.textureHandle(&withHandle), 0u);
    EXPECT_TRUE(d.shaders.empty());
    EXPECT_EQ(shaderFrees, 1);
    EXPECT_EQ(released, 1); // the shared node keeps its other owner
    EXPECT_EQ(d.resets, 1);
    EXPECT_EQ(d.InvalidateDeviceObjects(), 0);
    EXPECT_EQ(d.resets, 2);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(shaderFrees, 1);

    // Without a context nothing is touched.
    d.hasContext = false;
    d.registerTexture(&withHandle);
    d.freeAPIgraphicsResources();
    EXPECT_EQ(d.textures.size(), 1u);
    d.textures.clear();
    withHandle.array = nullptr;
    delete shared;
}

TEST(GraphicsDevice, StatisticsWithoutFramesDoNotDivideByZero) {
    TraceCapture trace(2);
    {
        CgraphicsAPI d;
        d.lockBytesSentToVideoCard = 640;
        d.totalMaterialChanges = 3;
    }
    std::string t = trace.text();
    EXPECT_NE(t.find("framesRendered=0"), std::string::npos);
    EXPECT_NE(t.find("avg lockBytesSentToVideoCard=0\n"), std::string::npos);
    EXPECT_NE(t.find("Avg material changes per frame=0\n"), std::string::npos);
}

} // namespace
