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
        v.stiffness = stiffness.empty() ? nullptr : &stiffness;
        return v;
    }
    int build() {
        flags.assign(points.size() / kFloats, 7);
        int r = model.buildCloth(view(), &controllers, flags.data());
        cloth.setupCloth(model);
        positions.assign(3 * (points.size() / kFloats), -9.0f);
        return r;
    }
    CclothFrame frame(float scale = 1.0f, int cooks = 5) {
        CclothFrame f;
        f.deformMatrices = joints;
        f.normalMatrices = normals;
        f.numMatrices = 2;
        f.positions = positions.data();
        f.numPoints = static_cast<int>(positions.size() / 3);
        f.thingScale = scale;
        f.cooks = cooks;
        return f;
    }
    Cvector position(int p) const {
        return Cvector(positions[3 * p], positions[3 * p + 1], positions[3 * p + 2]);
    }
    static std::string firstReason() { return exitReasonList.empty() ? "" : exitReasonList[0].c_str(); }

    TraceCapture trace;
    std::vector<float> points;
    std::vector<CclothPointGroup> groups;
    std::vector<float> stiffness;
    std::vector<uint8_t> flags;
    std::vector<float> positions;
    Controllers controllers;
    Cmatrix_4 joints[2];
    Cmatrix3 normals[2];
    CclothModel model;
    Ccloth cloth;
};

TEST_F(ClothTest, FullStiffnessReachesTheTargetInOneFrame) {
    stiffness = {1, 1, 1};
    ASSERT_EQ(build(), 0);
    joints[0].pos.set(0, 2, 0); // the body moved up by 2
    joints[1].pos.set(0, 2, 0);
    cloth.updateClothPiece(model, 0, 1, 1, nullptr, frame(2.0f));
    // The first link sits at anchor - N x fin_dist x scale; each next one a link further,
    // every link 0.25 x 2 long up to the approximate normalisation.
    for (int spine = 0; spine < 2; spine++) {
        Cvector previous(static_cast<float>(spine), 2, 1);
        for (int depth = 0; depth < 3; depth++) {
            Cvector p = position(2 * depth + spine);
            expectNear(p, static_cast<float>(spine), 2, 1.0f - (depth + 1) * 0.5f, 3e-3);
            EXPECT_NEAR((p - previous).length(), 0.5f, 1e-3);
            expectNear(cloth.clothPoints[3 * spine + depth], p, 0);
            previous = p;
        }
    }
}

TEST_F(ClothTest, WagAndLiftBendTheTargetAndExtrasRestartPerSpine) {
    auto* wag = controllers.add<CfinWagController>("finWag0", 2);
    auto* unused = controllers.add<CfinWagController>("finWag1", 2);
    auto* lift = controllers.add<CfinLiftController>("finLift0", 2);
    ASSERT_EQ(build(), 0) << firstReason();
    CclothPieceStaticInfo const& piece = model.clothPieces[0];
    // The wag controller named with 0 serves every depth; each depth's lift has its own name.
    EXPECT_EQ(piece.slavePoints[0].wag, wag->cosSin.values);
    EXPECT_EQ(piece.slavePoints[4].wag, wag->cosSin.values + 2);
    EXPECT_EQ(piece.slavePoints[0].lift, lift->cosSin.values);
    EXPECT_EQ(piece.slavePoints[1].lift, nullptr);
    EXPECT_EQ(lift->shapeB.values[1], 0.25f); // the shape reached at blend factor 1
    EXPECT_EQ(lift->shapeA.values[1], -0.25f);
    EXPECT_NE(unused->cosSin.values, piece.slavePoints[1].wag);

    // Wag fully sideways (cosine 0, sine 1) on every cell.
    for (int i = 0; i < wag->cosSin.count; i += 2) {
        wag->cosSin.values[i] = 0.0f;
        wag->cosSin.values[i + 1] = 1.0f;
    }
    float extra[3] = {0.0f, 0.0f, 0.0f};
    cloth.updateClothPiece(model, 0, 1, 1, extra, frame());
    for (int spine = 0; spine < 2; spine++)
        expectNear(position(spine), spine + 0.25f, 0, 1, 1e-3); // base links point along +x

    // With cosine 1 and sine 0 the extras alone give the sideways part, the same on both
    // spines because they restart at the first value for each spine.
    for (int i = 0; i < wag->cosSin.count; i += 2) {
        wag->cosSin.values[i] = 1.0f;
        wag->cosSin.values[i + 1] = 0.0f;
    }
    extra[0] = extra[1] = extra[2] = 1.0f;
    cloth.updateClothPiece(model, 0, 1, 1, extra, frame());
    for (int depth = 0; depth < 3; depth++) {
        Cvector a = position(2 * depth), b = position(2 * depth + 1);
        expectNear(b - a, 1, 0, 0, 1e-3);
        EXPECT_GT(a.x, 0.05f * (depth + 1));
    }
}

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
