// The shared noise channel on the file the build generates, and wandering values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "host/osFunctions.h"
#include "script/fastNoise.h"
#include "script/wanderingValue.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {

// The shared tree and the install folder of the build's staged resources; the noise
// channel loaded under the fixture's owner.
class NoiseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        savedInstall = installDir;
        installDir = VELMORA_GENERATED_RESOURCE_DIR;
        sharedResourceTree = &shop;
        ASSERT_TRUE(initFastNoise(&owner)) << (exitReasonList.empty() ? "" : exitReasonList[0].c_str());
    }
    void TearDown() override {
        owner.deleteChildren();
        shop.deleteChildren();
        sharedResourceTree = nullptr;
        installDir = savedInstall;
        closeStdout();
        resetExitState();
    }
    // A wandering value that lives as long as the owner its settings are registered on.
    CwanderingValue& ownedWanderingValue() {
        auto* w = new CwanderingValue;
        owner.addVariable(w);
        return *w;
    }
    static float channel(float x, int c) {
        float out[3];
        grabNoise3(x, out);
        return out[c];
    }

    ScopedDataFolder data;
    CdirectoryVar shop;
    CdirectoryVar owner;
    Cstring savedInstall;
};

TEST_F(NoiseTest, GeneratedCurveHasThreeChannelsOverFifty) {
    auto* chan = dynamic_cast<CdataChan*>(noiseWrap50x3chan);
    ASSERT_NE(chan, nullptr);
    EXPECT_EQ(chan->chans, 3);
    EXPECT_FLOAT_EQ(chan->spaceMin[0], 0.0f);
    EXPECT_FLOAT_EQ(chan->spaceMax[0], 50.0f);
    float low = 1, high = -1;
    for (float x = 0; x < 50; x += 0.05f)
        for (int c = 0; c < 3; c++) {
            low = std::fmin(low, channel(x, c));
            high = std::fmax(high, channel(x, c));
        }
    EXPECT_GE(low, -1.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_LT(low, -0.3f); // a real curve, not a constant
    EXPECT_GT(high, 0.3f);
}

TEST_F(NoiseTest, WrapsAroundAtZeroAndFifty) {
    for (int c = 0; c < 3; c++) {
        EXPECT_FLOAT_EQ(channel(0.0f, c), channel(50.0f, c)) << c;
        EXPECT_NEAR(channel(49.99f, c), channel(0.0f, c), 0.02f) << c;
    }
    struct Case {
        float in;
        float wrapped;
    };
    for (Case c : {Case{-10, 40}, Case{120, 20}, Case{0, 0}, Case{50, 0}, Case{49.5f, 49.5f}, Case{-50, 0}}) {
        float x = c.in;
        float v = fastNoiseWrapLookupVar(x);
        EXPECT_FLOAT_EQ(x, c.wrapped) << c.in;
        EXPECT_FLOAT_EQ(v, channel(c.wrapped, 0)) << c.in;
    }
    // Far positions are reduced in one step instead of 50 at a time.
    float far = 1e30f;
    fastNoiseWrapLookupVar(far);
    EXPECT_GE(far, 0.0f);
    EXPECT_LT(far, 50.0f);
    EXPECT_FLOAT_EQ(fastNoise(105.5f), channel(5.5f, 0));
    EXPECT_FLOAT_EQ(fastNoise(-5.0f), channel(0.0f, 0)); // the clamped start
}

TEST_F(NoiseTest, SecondInitSharesAndReleaseSilences) {
    CdataArray* first = noiseWrap50x3chan;
    EXPECT_TRUE(initFastNoise(&owner));
    EXPECT_EQ(noiseWrap50x3chan, first);
    EXPECT_EQ(owner.countChildren(TYPE_DATA_ARRAY_REFERENCE), 1);
    owner.deleteChildren();
    EXPECT_EQ(noiseWrap50x3chan, nullptr);
    EXPECT_EQ(fastNoise(3.0f), 0.0f);
    float out[3] = {9, 9, 9};
    grabNoise3(3.0f, out);
    EXPECT_EQ(out[2], 0.0f);
}

TEST(NoiseInstall, DefaultInstallFolderIsTheStagedTree) {
    Cstring folder;
    Cstring saved = installDir;
    ASSERT_EQ(OS::getInstallDir(folder), 0);
    EXPECT_EQ(std::string(folder.c_str()), std::string(VELMORA_GENERATED_RESOURCE_DIR));
    EXPECT_TRUE(pathExists(std::string(folder.c_str()) + "global/arrays/noise50.chan"));
    installDir = saved;
}

// ---- wandering values

// A curve whose every sample is raw, on all three channels.
struct ConstantNoise {
    explicit ConstantNoise(float raw) {
        chan.init(3, 1, 1, 3, 4);
        chan.setDimensionSpace(0, 0.0f, 50.0f);
        chan.fillWithConstant(raw);
    }
    CdataChan chan;
};

// Rows with period 0 hold the phase still and give the raw sample.
TEST(WanderingValue, MapsRawNoiseIntoItsRange) {
    struct Case {
        float raw, exponent, period, expected;
        int map;
    };
    for (Case c : {Case{-1, 1, 10, 2, 1}, Case{0, 1, 10, 3, 1}, Case{1, 1, 10, 4, 1}, Case{0, 2, 10, 2.5f, 1},
                   Case{1, 2, 10, 4, 1}, Case{-1, 2, 10, 2, 1}, Case{0.25f, 1, 0, 0.25f, 0}}) {
        ConstantNoise noise(c.raw);
        CwanderingValue w;
        w.noise = &noise.chan;
        w.channelCount = 1;
        w.channelMask = 1;
        w.mapToRange = c.map;
        w.setDefaults(2, 4, c.exponent, c.period);
        w.phase = 7.0f;
        float out = -99;
        w.getChanValues(&out);
        EXPECT_FLOAT_EQ(out, c.expected) << "raw " << c.raw << " exponent " << c.exponent;
        if (c.period == 0) {
            EXPECT_FLOAT_EQ(w.phase, 7.0f);
        }
    }
}

TEST_F(NoiseTest, WanderingValuesStayInRange) {
    CwanderingValue& w = ownedWanderingValue();
    w.init(&owner, "wander", 37.0f, 3);
    w.mapToRange = 1;
    w.setDefaults(-0.5f, 2.0f, 1.7f, 25.0f);
    ASSERT_NE(w.noise, nullptr);
    EXPECT_EQ(w.channelMask, 7);
    // The settings node spans min, max, exponent and period.
    Cvariable* settings = owner.getChild("wander", 0);
    ASSERT_EQ(settings->elements(), 4);
    settings->setElem_float(3, 3.0);
    EXPECT_FLOAT_EQ(w.period, 3.0f);
    for (int i = 0; i < 2000; i++) {
        float out[3];
        w.getChanValues(out);
        for (float v : out) {
            ASSERT_GE(v, -0.5f) << i;
            ASSERT_LE(v, 2.0f) << i;
        }
        ASSERT_GE(w.phase, 0.0f);
        ASSERT_LT(w.phase, 50.0f);
    }
}

TEST_F(NoiseTest, RawWanderingFollowsTheCurve) {
    CwanderingValue w;
    w.init(nullptr, "unused", 10.0f, 2);
    w.setDefaults(0, 1, 1, 10); // one unit every ten calls
    float out[2];
    for (int i = 0; i < 10; i++)
        w.getChanValues(out);
    EXPECT_NEAR(w.phase, 11.0f, 1e-4f);
    EXPECT_NEAR(out[0], channel(11.0f, 0), 1e-4f);
    EXPECT_NEAR(out[1], channel(11.0f, 1), 1e-4f);
    for (int i = 0; i < 500; i++)
        w.getChanValues(out);
    EXPECT_NEAR(w.phase, 11.0f, 1e-2f); // the whole curve repeats after 500 calls
}

} // namespace
