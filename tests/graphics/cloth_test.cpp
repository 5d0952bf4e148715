// Cloth: building the records from point groups and moving the links each frame.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/cloth.h"
#include "script/chanController.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "support/vectorExpect.h"

namespace {

// Record layout of the test models: pos, N, mat, blend, spineNum, fin_dist, fin_angles.
constexpr int kFloats = 13;

class Controllers : public CclothControllerSource {
  public:
    CchanController* findChanController(char const* name) override {
        auto it = byName.find(name);
        return it == byName.end() ? nullptr : it->second.get();
    }
    template <typename T> T* add(char const* name, int cells) {
        auto c = std::make_unique<T>();
        c->initialize(cells);
        T* raw = c.get();
        byName[name] = std::move(c);
        return raw;
    }
    std::map<std::string, std::unique_ptr<CchanController>> byName;
};

class ClothTest : public ::testing::Test {
  public:
    ClothTest() : trace(1) {
        shape();
        for (Cmatrix_4& m : joints)
            m.identity();
        for (Cmatrix3& m : normals)
            m.identity();
    }
    // Two spines (x = 0 and x = 1) of three points each, hanging down z in steps of 0.5,
    // with links 0.25 long at scale 1; a group that is no cloth's among the cloth groups.
    void shape() {
        points.clear();
        for (int depth = 0; depth < 3; depth++) {
            for (int spine = 0; spine < 2; spine++)
                points.insert(points.end(), {static_cast<float>(spine), 0, -0.5f * depth, 0, 0, 1, 0, 1, 1,
                                             static_cast<float>(spine), 0.25f, 0.25f, -0.25f});
        }
        groups = {
            {"cloth_base_fin", {0, 1}}, {"other", {0}}, {"cloth_fin_1", {2, 3}}, {"cloth_fin_2", {4, 5}}};
    }
    CclothModelView view() {
        CclothModelView v;
        v.pointGroups = &groups;
        v.points = points.data();
        v.numPoints = static_cast<int>(points.size() / kFloats);
        v.floatsPerPoint = kFloats;
        v.normalOffset = 3;
        v.matOffset = 6;
        v.blendOffset = 8;
        v.spineNumOffset = 9;
        v.finDistOffset = 10;
        v.finAnglesOffset = 11;
        return v;
    }
    int build() {
        flags.assign(points.size() / kFloats, 7);
        int r = model.buildCloth(view(), &controllers, flags.data());
        cloth.setupCloth(model);
        positions.assign(3 * (points.size() / kFloats), -9.0f);
        return r;
    }
    CclothFrame frame() {
        CclothFrame f;
        f.deformMatrices = joints;
        f.normalMatrices = normals;
        f.numMatrices = 2;
        f.positions = positions.data();
        f.numPoints = static_cast<int>(positions.size() / 3);
        f.thingScale = 1.0f;
        f.cooks = 5;
        return f;
    }
    static std::string firstReason() { return exitReasonList.empty() ? "" : exitReasonList[0].c_str(); }

    TraceCapture trace;
    std::vector<float> points;
    std::vector<CclothPointGroup> groups;
    std::vector<uint8_t> flags;
    std::vector<float> positions;
    Controllers controllers;
    Cmatrix_4 joints[2];
    Cmatrix3 normals[2];
    CclothModel model;
    Ccloth cloth;
};

TEST_F(ClothTest, BadModelsAreRefused) {
    struct Case {
        char const* what;
        std::function<void(ClothTest&, CclothModelView&)> spoil;
        char const* reason;
    };
    Case cases[] = {
        {"two bases on spine 0", [](ClothTest& t, CclothModelView&) { t.points[kFloats + 9] = 0; },
         "cloth fin: more than one base point for spine 0"},
        {"no base for spine 1", [](ClothTest& t, CclothModelView&) { t.points[kFloats + 9] = 5; },
         "cloth fin: no base point for spine 1"},
        {"member out of range", [](ClothTest& t, CclothModelView&) { t.groups[2].members.push_back(6); },
         "cloth fin: point out of range: 6"},
        {"no normals", [](ClothTest&, CclothModelView& v) { v.normalOffset = -1; },
         "cloth model lacks the attribute N"},
        {"attribute past the record", [](ClothTest&, CclothModelView& v) { v.finAnglesOffset = 12; },
         "cloth model lacks the attribute fin_angles"},
        {"not interleaved", [](ClothTest&, CclothModelView& v) { v.interleaved = false; }, "notInterlvd"},
        {"wag too small",
         [](ClothTest& t, CclothModelView&) { t.controllers.add<CfinWagController>("finWag0", 1); },
         "cloth fin: cioorA wag cell 1"},
        {"lift too small",
         [](ClothTest& t, CclothModelView&) { t.controllers.add<CfinLiftController>("finLift2", 1); },
         "cloth fin: cioorA lift cell 1"},
    };
    for (Case const& c : cases) {
        resetExitState();
        shape();
        controllers.byName.clear();
        CclothModelView v = view();
        c.spoil(*this, v);
        v.points = points.data();
        CclothModel refused;
        EXPECT_EQ(refused.buildCloth(v, &controllers, nullptr), 1) << c.what;
        EXPECT_EQ(firstReason(), c.reason) << c.what;
        // A refused piece has no spines and so never moves anything.
        Ccloth work;
        work.setupCloth(refused);
        positions.assign(18, -9.0f);
        work.updateClothPiece(refused, 0, 1, 1, nullptr, frame());
        EXPECT_EQ(positions[0], -9.0f) << c.what;
        EXPECT_EQ(refused.clothSlavePoints, 0u) << c.what;
    }
}

TEST_F(ClothTest, UpdatesOutsideTheRecordsDoNothing) {
    ASSERT_EQ(build(), 0);
    CclothFrame f = frame();
    cloth.updateClothPiece(model, -1, 1, 1, nullptr, f);
    cloth.updateClothPiece(model, 1, 1, 1, nullptr, f);
    f.numMatrices = 1; // the records name joint 1
    cloth.updateClothPiece(model, 0, 1, 1, nullptr, f);
    Ccloth unset; // never set up: no link positions to move
    unset.updateClothPiece(model, 0, 1, 1, nullptr, frame());
    for (float p : positions)
        EXPECT_EQ(p, -9.0f);
}

// Each frame a link turns its stiffness's share of the way to its rest direction. Once the
// cloth hangs still, the anchors move sideways by a link's length: a link whose links above
// it follow at once slants back by the share it has not turned. A link the species' list
// does not reach keeps the default of its depth.
TEST_F(ClothTest, ALinkTurnsItsStiffnessShareOfTheWayEachFrame) {
    struct Case {
        char const* what;
        std::vector<float> stiffness; // the species' list
        int depth;                    // of the link watched
        float behind;                 // its slant after one frame: across over down
    } const cases[] = {
        {"no list: the first link past the base", {}, 1, 0.2f},
        {"a list shorter than the chain", {1, 1}, 2, 0.36f},
        {"the list's own", {1, 0.5f}, 1, 0.5f},
    };
    for (Case const& c : cases) {
        shape();
        for (size_t p = 0; p < points.size() / kFloats; p++)
            points[p * kFloats + 10] = 0.5f; // links as long as the points are apart
        CclothModelView v = view();
        v.stiffness = c.stiffness.empty() ? nullptr : &c.stiffness;
        CclothModel hung;
        ASSERT_EQ(hung.buildCloth(v, &controllers, nullptr), 0) << c.what;
        Ccloth work;
        work.setupCloth(hung);
        positions.assign(points.size() / kFloats * 3, 0.0f);
        for (Cmatrix_4& m : joints)
            m.identity();
        for (int i = 0; i < 100; i++)
            work.updateClothPiece(hung, 0, 1, 1, nullptr, frame());
        for (Cmatrix_4& m : joints)
            m.pos.set(0.5f, 0, 0);
        work.updateClothPiece(hung, 0, 1, 1, nullptr, frame());
        for (int spine = 0; spine < 2; spine++) {
            float const* link = &positions[3 * (2 * c.depth + spine)];
            float const* above = link - 6;
            EXPECT_NEAR((above[0] - link[0]) / (above[2] - link[2]), c.behind, 5e-3) << c.what;
        }
    }
}

TEST(ApproxNormalize, UnitLengthWithinTheNewtonStepsError) {
    struct Case {
        Cvector in;
        Cvector out;
        double tolerance;
    } cases[] = {
        {{3, 4, 0}, {0.6f, 0.8f, 0}, 2e-3},  {{0, 0, -0.5f}, {0, 0, -1}, 2e-3},
        {{1e-3f, 0, 0}, {1, 0, 0}, 2e-3},    {{0, 1, 0}, {0, 1, 0}, 0}, // exactly unit: untouched
        {{0, 0, 0}, {0, 0, 0}, 0},                                      // zero: untouched
        {{1e-20f, 0, 0}, {1e-20f, 0, 0}, 0}, // below the smallest normal square: untouched
    };
    for (Case const& c : cases) {
        Cvector v = c.in;
        approxNormalize(v);
        expectNear(v, c.out, c.tolerance);
    }
}

} // namespace
