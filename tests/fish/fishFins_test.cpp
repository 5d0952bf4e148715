// The fins: which fins a species animates and the travelling raise of the matrix rig;
// pectoral strokes (waiting and replacing packets, speed pulls and the decision to push);
// and the peck cycle with the bite it starts.
#include <cmath>

#include "fishTestSupport.h"
#include "fish/pectoralFins.h"
#include "world/species.h"

namespace {
// The link names under which the fish lists its dependents.
int dependentsNamed(Cfish& fish, char const* link) {
    int n = 0;
    for (int i = 0; i < fish.numDependents(); i++)
        n += fish.linkName(i) == link;
    return n;
}

// A curve of 11 samples over [0, 1] whose sample i is f(i / 10).
template <class F> void writeCurve(char const* path, F f) {
    CdataChan chan;
    chan.init(11, 1, 1, 1, 4);
    chan.setDimensionSpace(0, 0.0f, 1.0f);
    for (int i = 0; i < 11; i++)
        chan.floatData[i] = f(static_cast<float>(i) / 10.0f);
    ASSERT_EQ(chan.save(path), 0) << path;
}
// The yaws move by change over frames from where they are (upper half leading); powers of
// two keep the progress exact.
CpecPushPacket stroke(CpecFin const& fin, float change, float frames, float lag = 0.0f) {
    CpecPushPacket p;
    p.targets[0] = fin.yaw[0] + change, p.targets[1] = fin.yaw[1] + change;
    p.speed = std::fabs(change) / frames;
    p.lag = lag;
    return p;
}
// Frames until the leading half is done (bounded so a fault cannot hang).
int framesToFinish(CpecFin& fin) {
    int n = 0;
    while (fin.playing() && n < 1000)
        fin.updatePec(), n++;
    return n;
}
// A species with the named fin controllers; lift shapes rise from 0 to 1 so a fill moves them.
Cspecies* speciesWith(CdirectoryVar& owner, std::vector<std::string> const& names) {
    auto* sp = new Cspecies;
    sp->setName("finSpecies");
    owner.addVariable(sp, 1);
    for (std::string const& n : names) {
        char const* kind = n.find("Lift") != std::string::npos ? "finLift"
                           : n == "caudalWag0"                 ? "caudalWag"
                                                               : "finWag";
        CchanController* c = sp->addController(n.c_str(), kind, 6);
        if (auto* lift = dynamic_cast<CfinLiftController*>(c)) lift->shapeB.set(1.0f);
        if (auto* wag = dynamic_cast<CfinWagController*>(c)) wag->weights.set(1.0f);
    }
    return sp;
}
} // namespace

TEST_F(FishTest, MissingFinControllersLeaveOnlyThatFin) {
    char const* wags[3] = {"dorsalWag0", "analWag0", "caudalWag0"};
    struct {
        std::string missing;
        bool animates[3]; // dorsal, anal, caudal
    } const cases[] = {{"dorsalLift0", {false, true, true}},
                       {"analLift0", {true, false, true}},
                       {"caudalLift0", {true, true, false}},
                       {"", {true, true, true}}};
    for (auto const& c : cases) {
        std::vector<std::string> names = {wags[0], wags[1], wags[2]};
        for (char const* lift : {"dorsalLift0", "analLift0", "caudalLift0"})
            if (c.missing != lift) names.push_back(lift);
        Cspecies* sp = speciesWith(resources, names);
        Cfish* fish = makeFish();
        fish->species = sp;
        fish->initializeControllers();
        for (int i = 0; i < 5; i++)
            fish->updateClothControllers();
        for (int f = 0; f < 3; f++) {
            Cchan const& pairs = dynamic_cast<CcosSinController*>(sp->getChanController(wags[f]))->cosSin;
            float moved = 0.0f;
            for (int i = 0; i < pairs.count; i++)
                moved += std::fabs(pairs.values[i]);
            EXPECT_EQ(moved > 0.0f, c.animates[f]) << c.missing << " " << wags[f];
        }
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
    CfinChain none; // a fin without segments is skipped rather than divided by
    none.setup(0);
    none.advance(1.0f);
    EXPECT_EQ(none.index, 0);
}

TEST_F(FishTest, PacketsWaitAndReplace) {
    Cfish* fish = makeFish();
    CpecFin& fin = fish->pecLeft;
    fin.yaw[0] = fin.yaw[1] = 1.0f;
    fin.newPacket(stroke(fin, -1.0f, 4.0f));
    fin.newPacket(stroke(fin, 1.0f, 4.0f));
    CpecPushPacket last = stroke(fin, -0.5f, 8.0f); // from 0 to 0.5, 8 frames
    last.targets[0] = last.targets[1] = 0.5f;
    fin.newPacket(last); // replaces the one waiting
    EXPECT_EQ(framesToFinish(fin), 4);
    EXPECT_TRUE(fish->pecsAreMoving()); // still one waiting
    fin.updatePec();                    // the frame after: it starts
    EXPECT_FALSE(fin.hasWaiting);
    EXPECT_FLOAT_EQ(fin.progress[0], 0.125f);
    EXPECT_EQ(framesToFinish(fin), 7);
    EXPECT_FLOAT_EQ(fin.yaw[0], 0.5f);
    // A stroke already at its target ends at once instead of dividing by its zero change.
    fin.startPacket(stroke(fin, 0.0f, 4.0f));
    fin.updatePec();
    EXPECT_FALSE(fish->pecsAreMoving());
    EXPECT_TRUE(std::isfinite(fin.yaw[0]) && std::isfinite(fish->bodySpeed));
}

TEST_F(FishTest, ForwardStrokeStopsAtDesiredSpeed) {
    struct {
        float speed, desired, want;
    } const cases[] = {
        {0.2f, 0.4f, 0.4f}, // the desired speed caps the push
        {0.2f, 3.0f, 0.7f}, // the push adds its speed change (0.5)
        {1.0f, 0.5f, 1.0f}, // already faster: a forward stroke never brakes
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->pectoralSpeedChange = 0.5f;
        CpecFin& fin = fish->pecLeft;
        fin.yaw[0] = fin.yaw[1] = 0.0f;
        fin.startPacket(stroke(fin, 1.0f, 8.0f, 0.5f));
        for (int i = 0; i < 40; i++) {
            fin.updatePec();
            EXPECT_LE(fish->bodySpeed, std::max(c.desired, c.speed) + 1e-5f) << c.speed << " frame " << i;
        }
        EXPECT_NEAR(fish->bodySpeed, c.want, 1e-3f) << c.speed;
    }
}

TEST_F(FishTest, FullBrakesActOnceAndEndWithSecondStroke) {
    Cfish* fish = makeFish();
    fish->doFullBrakes();
    fish->updatePectorals();
    float progress = fish->pecLeft.progress[0];
    fish->doFullBrakes(); // ignored while braking
    EXPECT_FLOAT_EQ(fish->pecLeft.progress[0], progress);
    EXPECT_TRUE(fish->braking && fish->pecLeft.hasWaiting && fish->pecRight.hasWaiting);
    int frames = 0;
    while (fish->braking && frames < 200) {
        EXPECT_FALSE(!fish->pecLeft.hasWaiting && !fish->pecLeft.playing()) << frames; // not yet over
        fish->updatePectorals(), frames++;
    }
    EXPECT_FALSE(fish->braking || fish->pecLeft.hasWaiting || fish->pecLeft.playing());
    EXPECT_NEAR(fish->pecLeft.yaw[0], kPecRestYaw, 1e-4f);
}

TEST_F(FishTest, DecidesToPush) {
    struct {
        float speed, desired, sink, pitchChange, heading;
        bool busy, push;
    } const cases[] = {
        {1.0f, 1.5f, 0.0f, 0.0f, 0.0f, false, true},  // speeding up
        {1.0f, 1.2f, 0.0f, 0.0f, 0.0f, false, false}, // close enough
        {1.5f, 1.0f, 0.0f, 0.0f, 0.0f, false, true},  // slowing down
        {1.0f, 1.0f, 0.06f, 0.0f, 0.0f, false, true}, // sinking
        {1.0f, 1.0f, 0.0f, 0.4f, 0.1f, false, true},  // pitch far off, turning little
        {1.0f, 1.0f, 0.0f, 0.4f, 1.0f, false, false}, // pitch far off, turning a lot
        {1.0f, 2.0f, 0.0f, 0.0f, 0.0f, true, false},  // fins busy
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->accumulatedSink = c.sink;
        fish->pitchChange = c.pitchChange, fish->headingChange = c.heading, fish->pitchVelocity = 0.0f;
        if (c.busy) fish->pecRight.newPacket(stroke(fish->pecRight, -1.0f, 4.0f));
        EXPECT_EQ(fish->contemplatePectoralPush(), c.push) << c.speed << " " << c.desired << " " << c.sink;
    }
}

TEST_F(FishTest, PeckReachesBitesOnceAndStops) {
    // The head goes out and back (the reach peaks at 0.5); the stroke strength follows t.
    writeCurve("species/std_fish/arrays/peckForwardMotion.chan",
               [](float t) { return 1.0f - std::fabs(2 * t - 1); });
    writeCurve("species/std_fish/arrays/peckSwimAmp.chan", [](float t) { return 0.5f * t; });
    struct {
        bool held;
        bool starts;
    } const cases[] = {{false, true}, {true, false}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->headForced = c.held;
        fish->peckDirection = Cvector(0, -1, 0);
        fish->startPeck(0.02f, 0.5f, 0.25f);
        EXPECT_EQ(fish->peckCycle.active != 0, c.starts);
        if (!c.starts) {
            EXPECT_EQ(fish->peckCycle.parent, nullptr);
            continue;
        }
        Cvector head = fish->vertex[0];
        EXPECT_LT((fish->peckCycle.startPoint - head).length(), 1e-6f);
        EXPECT_EQ(dependentsNamed(*fish, "peck animcycle"), 1);
        int bitFrame = 0;
        float deepest = 0.0f;
        for (int frame = 1; frame <= 10; frame++) {
            fish->doAnimCycles(frame);
            if (fish->biteCycle.active && bitFrame == 0) bitFrame = frame;
            if (frame == 10) break;
            EXPECT_TRUE(fish->pecking && fish->headForced) << frame;
            float t = 0.1f * frame;
            EXPECT_NEAR(fish->strokeStrength, 0.5f * t, 1e-4f) << frame;
            EXPECT_NEAR(fish->desiredBodySpeed, t >= 0.7f ? 0.0f : 0.02f, 1e-5f) << frame;
            deepest = std::max(deepest, head.y - fish->forcedHead.y);
            EXPECT_NEAR(fish->forcedHead.x, head.x, 1e-6f);
        }
        EXPECT_EQ(bitFrame, 6);
        EXPECT_NEAR(deepest, 0.5f, 1e-4f);
        EXPECT_EQ(fish->peckCycle.parent, nullptr);
        EXPECT_FALSE(fish->pecking || fish->headForced || fish->peckCycle.active);
        EXPECT_EQ(fish->bodySpeed, 0.0f);
        EXPECT_EQ(fish->desiredBodySpeed, 0.0f);
        EXPECT_EQ(dependentsNamed(*fish, "peck animcycle"), 0);
    }
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(FishTest, AFishGoesWithItsCyclesRunning) {
    writeCurve("species/std_fish/arrays/peckForwardMotion.chan", [](float) { return 0.5f; });
    writeCurve("species/std_fish/arrays/peckSwimAmp.chan", [](float) { return 0.0f; });
    Cfish* fish = makeFish();
    fish->startPeck(0.02f, 0.3f, 0.1f);
    for (int frame = 1; frame <= 7; frame++)
        fish->doAnimCycles(frame);
    ASSERT_TRUE(fish->biteCycle.active && fish->peckCycle.active);
    CdirectoryVar* cycles = fish->getAnimCycleDirectory();
    EXPECT_EQ(cycles->countChildren(-1), 2);
    deleteVariable(fish);
    emptyTrash();
    EXPECT_EQ(tank->things->firstChild, nullptr);
}

// A level-set sensor folds a pelvic fin to 0 over 10 frames and opens it to 0.8 over 40:
// sensors 10 to 19 the left fin, 20 and above the right; a fin already folding goes on.
TEST_F(FishTest, LevelSetSensorsFoldThePelvicFins) {
    struct {
        short id;
        bool left, right;
    } const cases[] = {
        {12, true, false}, {19, true, false}, {25, false, true}, {20, false, true}, {5, false, false}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        ASSERT_NE(fish->pelvicControl[0], nullptr);
        ClevelSetSensor sensor;
        sensor.value = c.id;
        fish->processLevelSetSensor(&sensor, -0.1f);
        for (int side = 0; side < 2; side++) {
            CanimValue& fin = *fish->pelvicControl[side];
            bool folds = side == 0 ? c.left : c.right;
            float at[3] = {};
            for (int frame = 1; frame <= 50; frame++) {
                if (frame == 3) fish->processLevelSetSensor(&sensor, -0.2f); // fires again while folding
                fin.update();
                if (frame == 5) at[0] = fin.ownValue;
                if (frame == 10) at[1] = fin.ownValue;
                if (frame == 50) at[2] = fin.ownValue;
            }
            std::string what = "sensor " + std::to_string(c.id) + (side ? " right" : " left");
            if (!folds) {
                EXPECT_EQ(at[0], 0.8f) << what;
                EXPECT_EQ(at[2], 0.8f) << what;
                continue;
            }
            EXPECT_GT(at[0], 0.05f) << what << ": halfway down";
            EXPECT_LT(at[0], 0.75f) << what << ": halfway down";
            EXPECT_NEAR(at[1], 0.0f, 1e-5f) << what << ": folded after 10 frames";
            EXPECT_NEAR(at[2], 0.8f, 1e-5f) << what << ": open again 40 frames later";
        }
        deleteVariable(fish);
    }
}
