// The shared noise channel on the file the build generates.
#include <gtest/gtest.h>

#include "data/dataArrayManager.h"
#include "host/osFunctions.h"
#include "script/fastNoise.h"
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

TEST_F(NoiseTest, WrapsAroundAtZeroAndFifty) {
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

} // namespace
