// One fish drawn on the OpenGL device under EGL: a small synthetic fish (a ribbon skinned to
// its ten spine joints) swimming in an otherwise empty tank, seen from above. Between two
// frames some frames apart its pixels move and its outline bends. A failing frame is kept
// as "<test name>_<frame>.png" in the working folder.
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../graphics/geoTestSupport.h"
#include "fishTestSupport.h"
#include "graphics/graphicsGL.h"
#include "graphics/renderLists.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "host/frameFiles.h"
#include "host/glContext.h"

namespace {
constexpr int kWidth = 160, kHeight = 80;
constexpr float kTwoPi = 6.2831853f;

// The body and the skeleton of a fish ten joints long, one body length from head to tail.
class RibbonSpecies : public CspeciesServices {
  public:
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return &body; }
    CgeoNew* skeletonModel() override { return &skeleton; }
    CtexturedGeo body;
    CgeoNew skeleton;
};

// Joint i sits on the body's axis, i ninths of a body length behind the head.
CgeoFileContents skeletonContents() {
    CgeoFileContents g;
    g.points = 10;
    g.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}};
    g.floatsPerPoint = 4;
    for (int i = 0; i < 10; i++)
        g.data.insert(g.data.end(), {0.0f, 0.0f, -static_cast<float>(i) / 9.0f, -1.0f});
    g.pointGroups = {{"spine", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    return g;
}

// A flat ribbon across the body (its side axis), widest a third of the way back, each pair
// of points carried by its own joint.
CgeoFileContents bodyContents() {
    CgeoFileContents g;
    g.points = 20;
    g.attribs = {{"pos", 3, 0}, {"Cd", 4, 0}, {"mat", 2, 0}, {"blend", 1, 0}};
    g.floatsPerPoint = 10;
    for (int i = 0; i < 10; i++) {
        float half = 0.03f + 0.09f * std::sin(3.14159f * (static_cast<float>(i) + 0.5f) / 10.0f);
        for (float side : {-1.0f, 1.0f})
            g.data.insert(g.data.end(), {side * half, 0.0f, -static_cast<float>(i) / 9.0f, 1.0f, 0.6f, 0.1f,
                                         1.0f, static_cast<float>(i), static_cast<float>(i), 1.0f});
    }
    for (int i = 0; i < 9; i++)
        g.polygons.push_back({2 * i, 2 * i + 1, 2 * i + 3, 2 * i + 2});
    g.primGroups = {{"mat_fishskin_oa", {0, 1, 2, 3, 4, 5, 6, 7, 8}}};
    return g;
}

char const* const kMaterial =
    ":static diffuse\n"
    ":vshader \"varying vec4 c;\"\n"
    ":vshader \"void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; c = gl_Color; }\"\n"
    ":fshader \"varying vec4 c; void main() { gl_FragColor = c; }\"\n";

// A swim wave that runs from head to tail as the phase grows.
void writeSwimWave() {
    CdataImage wave;
    wave.init(10, 16, 1, 1, 4);
    for (int p = 0; p < 16; p++)
        for (int i = 0; i < 10; i++)
            wave.floatData[p * 10 + i] =
                0.5f * std::sin(kTwoPi * (static_cast<float>(p) / 15.0f - static_cast<float>(i) / 10.0f));
    wave.setDimensionSpace(0, 0.0f, 9.0f), wave.setDimensionSpace(1, 0.0f, 1.0f);
    ASSERT_EQ(wave.save("species/std_fish/arrays/swimCycle.image"), 0);
}

// The lit pixels of a frame: their count, centroid, and how far the body's centre line
// (the middle of each lit column) strays from a straight line, as a root mean square.
struct Blob {
    int count = 0;
    double x = 0, y = 0, bend = 0;
};

Blob blobOf(std::vector<uint8_t> const& px) {
    Blob b;
    std::vector<double> cx, cy;
    for (int x = 0; x < kWidth; x++) {
        int n = 0;
        double sum = 0;
        for (int y = 0; y < kHeight; y++)
            if (px[static_cast<size_t>((y * kWidth + x) * 4)] >= 64) n++, sum += y, b.x += x, b.y += y;
        b.count += n;
        if (n > 0) cx.push_back(x), cy.push_back(sum / n);
    }
    if (b.count == 0 || cx.size() < 3) return b;
    b.x /= b.count, b.y /= b.count;
    double mx = 0, my = 0, sxy = 0, sxx = 0;
    for (size_t i = 0; i < cx.size(); i++)
        mx += cx[i] / cx.size(), my += cy[i] / cx.size();
    for (size_t i = 0; i < cx.size(); i++)
        sxy += (cx[i] - mx) * (cy[i] - my), sxx += (cx[i] - mx) * (cx[i] - mx);
    double slope = sxx > 0 ? sxy / sxx : 0;
    for (size_t i = 0; i < cx.size(); i++)
        b.bend += std::pow(cy[i] - (my + slope * (cx[i] - mx)), 2) / cx.size();
    b.bend = std::sqrt(b.bend);
    return b;
}

CtankRenderLists* shownLists = nullptr;

class FishRenderGL : public FishTest {
  protected:
    void SetUp() override {
        FishTest::SetUp();
        if (!offscreenContextsAvailable())
            DISPLAY_MISSING() << "no EGL display at all: " << lastContextError().c_str();
        context.reset(createOffscreenContext(kWidth, kHeight));
        ASSERT_TRUE(context);
        dev.context = context.get();
        dev.setDisplayIndex(0);
        dev.setNewWindowMetrics(Crect(0, kWidth, 0, kHeight));
        ASSERT_EQ(dev.GetDeviceCapabilities(), 0);
        // From 4 above the fish the view spans 2.4 x 1.2 of the tank.
        dev.letterboxedFovRect = Crect(-0.3f, 0.3f, -0.15f, 0.15f);
        dev.viewportHeight = kHeight, dev.letterboxBottom = 0, dev.clearScreen = 1, dev.drawAll = 1;
        dev.tank = reinterpret_cast<Ctank*>(&lists);
        savedMult = masterMult, masterMult = 1, savedHooks = graphicsHooks, shownLists = &lists;
        graphicsHooks = CgraphicsHooks{}; // the tank is a stand-in: no slot reaches the tank layer
        graphicsHooks.tankRenderLists = [](Ctank*) { return shownLists; };
        graphicsHooks.tankCamera = [](Ctank*, CviewCamera& c) {
            c.eye.set(0.0f, 6.0f, 0.0f), c.direction.set(0.0f, -1.0f, 0.0f), c.up.set(0.0f, 0.0f, -1.0f);
        };
        lists.opaqueList.setSize(4, nullptr), lists.opaqueList.count = 0;
        lists.transparentList.setSize(4, nullptr), lists.transparentList.count = 0;
        lists.transparentOrder.setSize(4, nullptr);
    }
    void TearDown() override {
        if (context) {
            root.deleteChildren(); // the fish's groups go before the device
            dev.release();
        }
        graphicsHooks = savedHooks, shownLists = nullptr, masterMult = savedMult;
        FishTest::TearDown();
    }

    // A species of the ribbon fish with its material read from a model folder.
    RibbonSpecies* makeSpecies() {
        auto* sp = new RibbonSpecies;
        sp->setName("ribbon");
        resources.addVariable(sp, 1);
        std::filesystem::create_directories("ribbon/materials");
        writeWholeFile("ribbon/materials/fishskin.mat", kMaterial);
        EXPECT_EQ(loadContents(sp->skeleton, skeletonContents()), 0);
        sp->skeleton.interleaved = 1;
        EXPECT_EQ(loadContents(sp->body, bodyContents()), 0);
        sp->body.species = sp;
        EXPECT_EQ(sp->body.getMaterialsAndBuildPolyLists(sp, Cstring((dir.path() + "ribbon").c_str())), 0);
        EXPECT_EQ(sp->body.initGeometrySpecialProcessingTables(), 0);
        return sp;
    }

    // One behaviour frame of the fish, then its geometry drawn and read back.
    std::vector<uint8_t> step(Cfish& fish, int frame) {
        EXPECT_EQ(fish.updateThing(frame + 1, 0.0f), 0);
        CworkObject* work = fish.getFinalGeometry();
        EXPECT_NE(work, nullptr);
        lists.opaqueList.count = 0;
        if (work)
            for (CrenderPolyGroup& g : work->renderPolyGroups) {
                g.passBits = 255, g.lastSameMaterial = &g, g.xCellMask = 1, g.yCellMask = 1;
                lists.opaqueList.add(&g);
            }
        masterFrame = 100 + frame;
        EXPECT_EQ(dev.RenderFraction(0), 0);
        std::vector<uint8_t> px(static_cast<size_t>(kWidth * kHeight * 4));
        EXPECT_EQ(context->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
        return px;
    }

    void keepIfFailed(std::vector<uint8_t> const& px, int frame) {
        if (!HasFailure()) return;
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path =
            (savedCwd / (std::string(info->name()) + "_" + std::to_string(frame) + ".png")).string();
        if (writeFramePng(path.c_str(), kWidth, kHeight, px.data()) == 0)
            std::printf("frame kept as %s\n", path.c_str());
    }

    std::unique_ptr<CglContext> context;
    CopenGL dev;
    CtankRenderLists lists;
    CgraphicsHooks savedHooks;
    float savedMult = 1;
};

TEST_F(FishRenderGL, OneFishMovesAndBendsBetweenFrames) {
    writeSwimWave();
    RibbonSpecies* sp = makeSpecies();
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back();
    auto* fish = new SteadyFish;
    fish->species = sp;
    fish->startHeading = 1.5707963f; // swims along +x, across the view
    placeFish(fish, Cvector(-0.5f, 2.0f, 0.0f), 0.5f);
    ASSERT_EQ(fish->addRenderGeometry(), 0) << exitReasonList.back();
    ASSERT_TRUE(fish->weightsBuilt);
    fish->setDisplayed(1);
    fish->_setDesiredBodySpeed(1.5f); // slower than it wants: it strokes

    std::vector<uint8_t> first, second;
    for (int frame = 0; frame <= 24; frame++) {
        std::vector<uint8_t> px = step(*fish, frame);
        if (frame == 12) first = px;
        if (frame == 24) second = px;
    }
    Blob a = blobOf(first), b = blobOf(second);
    // A body length across is about 67 pixels; the ribbon is a few pixels wide.
    EXPECT_GT(a.count, 150);
    EXPECT_GT(b.count, 150);
    EXPECT_LT(std::abs(a.count - b.count), a.count / 3); // the same fish, not a smear
    double moved = std::hypot(b.x - a.x, b.y - a.y);
    EXPECT_GT(moved, 6.0) << "from " << a.x << "," << a.y << " to " << b.x << "," << b.y;
    EXPECT_GT(b.x, a.x); // forward, along +x
    // A rigid move keeps the outline; the swimming body curves its centre line one way and
    // then straightens or curves the other.
    EXPECT_GT(std::max(a.bend, b.bend), 1.5) << a.bend << " " << b.bend;
    EXPECT_GT(std::fabs(a.bend - b.bend), 1.0) << a.bend << " " << b.bend;
    EXPECT_GT(fish->strokeStrength, 0.0f);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back();
    keepIfFailed(first, 12);
    keepIfFailed(second, 24);
    fish->species = nullptr;
}

} // namespace
