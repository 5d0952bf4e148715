// The fins: which fins a species animates, the travelling raise of the matrix rig, the
// tail's tone, the fins' snap at a flick and the pectoral strokes of the controller rig.
#include <cmath>

#include "fishTestSupport.h"
#include "world/species.h"

namespace {
constexpr int kCells = 6;

// A species with the named fin controllers; lift shapes rise from 0 to 1 so a fill moves them.
Cspecies* speciesWith(CdirectoryVar& owner, std::vector<char const*> const& names) {
    auto* sp = new Cspecies;
    sp->setName("finSpecies");
    owner.addVariable(sp, 1);
    for (char const* n : names) {
        std::string s(n);
        char const* kind = s.find("Lift") != std::string::npos ? "finLift"
                           : s == "caudalWag0"                 ? "caudalWag"
                                                               : "finWag";
        CchanController* c = sp->addController(n, kind, kCells);
        if (auto* lift = dynamic_cast<CfinLiftController*>(c)) lift->shapeB.set(1.0f);
        if (auto* wag = dynamic_cast<CfinWagController*>(c)) wag->weights.set(1.0f);
    }
    return sp;
}

float sumAbs(Cchan const& c) {
    float t = 0.0f;
    for (int i = 0; i < c.count; i++)
        t += std::fabs(c.values[i]);
    return t;
}

// The target of the running move and its length in frames.
float target(CanimValue const& v) {
    return v.startValue + v.delta;
}
float frames(CanimValue const& v) {
    return std::round(1.0f / v.step);
}
} // namespace

TEST_F(FishTest, MissingFinControllersLeaveOnlyThatFin) {
    char const* all[] = {"dorsalLift0", "dorsalWag0", "analLift0", "analWag0", "caudalLift0", "caudalWag0"};
    struct {
        char const* missing;
        bool dorsal, anal, caudal;
    } const cases[] = {
        {"dorsalLift0", false, true, true},
        {"analLift0", true, false, true},
        {"caudalLift0", true, true, false},
        {"", true, true, true},
    };
    for (auto const& c : cases) {
        std::vector<char const*> names;
        for (char const* n : all)
            if (std::string(n) != c.missing) names.push_back(n);
        Cspecies* sp = speciesWith(resources, names);
        Cfish* fish = makeFish();
        fish->species = sp;
        fish->initializeControllers();
        for (int i = 0; i < 5; i++)
            fish->updateClothControllers();
        auto* dorsalWag = dynamic_cast<CfinWagController*>(sp->getChanController("dorsalWag0"));
        auto* analWag = dynamic_cast<CfinWagController*>(sp->getChanController("analWag0"));
        auto* caudalWag = dynamic_cast<CcaudalWagController*>(sp->getChanController("caudalWag0"));
        EXPECT_EQ(sumAbs(dorsalWag->cosSin) > 0.0f, c.dorsal) << c.missing;
        EXPECT_EQ(sumAbs(analWag->cosSin) > 0.0f, c.anal) << c.missing;
        EXPECT_EQ(sumAbs(caudalWag->cosSin) > 0.0f, c.caudal) << c.missing;
        EXPECT_FLOAT_EQ(fish->dorsalCells, static_cast<float>(kCells));
        fish->species = nullptr;
        deleteVariable(fish);
        deleteVariable(sp);
    }
}

TEST_F(FishTest, RaiseTravelsOneSegmentPerFrame) {
    CfinChain chain;
    chain.setup(4);
    for (int frame = 0; frame < 4; frame++) {
        chain.advance(frame == 0 ? 1.0f : 0.0f);
        for (int k = 0; k < 4; k++) {
            float angle = std::atan2(chain.matrices[k].up.z, chain.matrices[k].up.y);
            EXPECT_NEAR(angle, k == frame ? chain.weights[k] : 0.0f, 1e-5f) << frame << " " << k;
        }
    }
    // A fin without segments is skipped rather than divided by.
    CfinChain none;
    none.setup(0);
    none.advance(1.0f);
    EXPECT_EQ(none.index, 0);
}

TEST_F(FishTest, MatrixRigFinsWithoutChainsStayFinite) {
    Cfish* fish = makeFish();
    fish->pitchChange = 0.3f;
    fish->pecLeft.yaw[0] = 0.5f;
    for (int i = 0; i < 50; i++)
        fish->handleFins();
    EXPECT_TRUE(std::isfinite(fish->dorsalPosition) && std::isfinite(fish->analPosition));
    EXPECT_GT(fish->dorsalPosition, fish->analPosition); // a climb raises the dorsal, lowers the anal
    // Pectorals: the right fin mirrors the left.
    Cmatrix3 const& left = fish->pectoralMatrix[0];
    EXPECT_NEAR(left.forward.x, std::sin(0.5f), 1e-5f);
    EXPECT_NEAR(fish->pectoralMatrix[2].forward.x, -std::sin(kPecRestYaw), 1e-5f);
    // The trailing pelvic segment shows the root's pose of the frame before.
    Cmatrix3 before = fish->pelvicMatrix[0];
    fish->bodySpeed = fish->desiredBodySpeed - 2.0f; // slower than asked: the pelvics fold
    fish->handleFins();
    EXPECT_EQ(fish->pelvicTrail[0].up.z, before.up.z);
    EXPECT_NE(fish->pelvicMatrix[0].up.z, before.up.z);
}

TEST_F(FishTest, CaudalTone) {
    struct {
        float speed, amplitude;
        bool busy;
        float wantAmplitude, wantFrames, wantStiffness;
    } const cases[] = {
        {1.2f, 0.2f, false, 0.05f, 10.0f, 0.4f},
        {0.8f, 0.05f, false, 0.25f, 5.0f, 0.5f},
        {1.2f, 0.05f, false, -1.0f, 0.0f, 0.0f}, // already calm
        {0.8f, 0.2f, false, -1.0f, 0.0f, 0.0f},  // already lively
        {1.2f, 0.2f, true, -1.0f, 0.0f, 0.0f},   // a move in progress
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->initializeControllers();
        fish->bodySpeed = c.speed;
        fish->caudalAmplitude.ownValue = c.amplitude;
        if (c.busy) fish->caudalStiffness.setMove(0.3f, 4.0f, CURVE_LINEAR, 1);
        fish->handleFins();
        if (c.wantAmplitude < 0.0f) {
            EXPECT_FALSE(fish->caudalAmplitude.active) << c.speed << " " << c.amplitude;
            continue;
        }
        EXPECT_FLOAT_EQ(target(fish->caudalAmplitude), c.wantAmplitude);
        EXPECT_EQ(frames(fish->caudalAmplitude), c.wantFrames);
        EXPECT_FLOAT_EQ(target(fish->caudalStiffness), c.wantStiffness);
    }
}

TEST_F(FishTest, FlickSnapsTheFins) {
    struct {
        float turn, endSpeed;
        bool spreads;
        float bend, stiffnessAfter;
    } const cases[] = {{2.0f, 0.1f, true, 0.3f, 0.2f}, {-0.5f, 0.8f, false, -0.15f, 0.5f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->initializeControllers();
        fish->flickTurnFinDown = 0.1f;
        fish->finRestlessness = 0.5f;
        fish->flickFins(c.turn, 0.5f, 1.0f, c.endSpeed);
        EXPECT_EQ(fish->caudalSpread.active != 0, c.spreads);
        for (int i = 0; i < 2; i++)
            fish->updateClothControllers();
        EXPECT_NEAR(fish->dorsalLiftA.ownValue, 0.1f, 1e-5f); // down within 2 frames
        EXPECT_NEAR(fish->analLiftA.ownValue, 0.1f, 1e-5f);
        EXPECT_NEAR(fish->caudalStiffness.ownValue, 0.7f, 1e-5f);
        EXPECT_FLOAT_EQ(target(fish->caudalStiffness), c.stiffnessAfter);
        EXPECT_FLOAT_EQ(target(*fish->pelvicControl[0]), 0.1f);
        fish->updateClothControllers();
        EXPECT_NEAR(fish->caudalBend.ownValue, c.bend, 1e-5f);
        for (int i = 0; i < 20; i++)
            fish->updateClothControllers();
        EXPECT_NEAR(fish->dorsalLiftA.ownValue, 0.75f, 1e-5f); // back over 20
    }
}

TEST_F(FishTest, ControllerRigPectoralStrokes) {
    struct {
        float speed, desired, pec;
        float wantPec, wantFrames, wantLagBottom;
    } const cases[] = {
        {0.2f, 1.0f, 0.0f, 0.7f, 15.0f, 5.0f}, // speeding up, fin folded: a stroke
        {0.2f, 1.0f, 0.7f, 0.0f, 7.0f, 0.0f},  // speeding up, fin out: fold it
        {0.8f, 0.8f, 0.0f, 0.05f, 15.0f, 4.0f}, // cruising
        {0.2f, 0.2f, 0.0f, 0.1f, 10.0f, 6.0f},  // slow: paddling
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->initializeControllers();
        fish->controllerRig = 1;
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired;
        fish->pecControl[0]->ownValue = fish->pecControl[1]->ownValue = c.pec;
        fish->handleFins();
        for (CanimValue* pec : fish->pecControl) {
            EXPECT_FLOAT_EQ(target(*pec), c.wantPec) << c.speed << " " << c.pec;
            EXPECT_EQ(frames(*pec), c.wantFrames) << c.speed << " " << c.pec;
        }
        CanimValue const& lag = *fish->pecLagBottom;
        EXPECT_FLOAT_EQ(lag.active ? target(lag) : lag.ownValue, c.wantLagBottom) << c.speed << " " << c.pec;
        // The delayed copies follow the fin through the lag.
        EXPECT_EQ(fish->findControl("pecLeftBottomY"), fish->pecBottomY[0]);
    }
}

TEST_F(FishTest, FinRestlessnessIsRedrawn) {
    Cfish* fish = makeFish();
    EXPECT_EQ(fish->finRestlessCountdown, -1); // a new fish draws at its first frame
    int draws = 0;
    for (int frame = 0; frame < 700; frame++) {
        int before = fish->finRestlessCountdown;
        fish->prepForCook();
        fish->goFish(0);
        if (fish->finRestlessCountdown > before) {
            draws++;
            EXPECT_GE(fish->finRestlessCountdown, 100);
            EXPECT_LE(fish->finRestlessCountdown, 300);
            EXPECT_GE(fish->finRestlessness, 0.0f);
            EXPECT_LT(fish->finRestlessness, 1.0f);
        }
    }
    EXPECT_GE(draws, 3);
}
