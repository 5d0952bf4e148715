#include <gtest/gtest.h>

#include <cmath>

#include "support/cerr.h"
#include "support/vector.h"
#include "support/vector2.h"
#include "traceCapture.h"
#include "vectorExpect.h"

namespace {

TEST(Cvector, AreaOfTriangle) {
    EXPECT_NEAR(areaOfTriangle(Cvector(0, 0, 0), Cvector(3, 0, 0), Cvector(0, 4, 0)), 6.0f, 1e-5);
    EXPECT_NEAR(areaOfTriangle(Cvector(1, 1, 1), Cvector(1, 3, 1), Cvector(1, 1, 5)), 4.0f, 1e-5);
    // A flat triangle whose Heron product rounds below zero is 0, not NaN.
    for (float t : {0.1f, 0.3f, 0.7f, 1.7f})
        EXPECT_NEAR(areaOfTriangle(Cvector(0, 0, 0), Cvector(1, 1, 1) * t, Cvector(1, 1, 1)), 0.0f, 5e-3);
}

// The run-away guard: one report per run, every failure repaired.
class RunAwayTest : public ::testing::Test {
  protected:
    void SetUp() override { resetVectorFailureReport(); }
    void TearDown() override { resetVectorFailureReport(); }
};

TEST_F(RunAwayTest, FirstFailureReportsOnceWithBreadcrumbs) {
    TraceCapture trace(1);
    vectErrProc = "steer";
    vectErrMsg = "joint";
    vectErrIndex = 7;
    numTestsAfter = -1;
    Cvector ok(1, 1, 1);
    EXPECT_EQ(ok.quickFailureTest("a"), 0);
    Cvector bad(2e12f, 0, 0);
    EXPECT_EQ(bad.quickFailureTest("m3*="), 1);
    EXPECT_NE(trace.text().find("steer msg:joint call:m3*= idx:7"), std::string::npos) << trace.text();
    ASSERT_EQ(exitReasonList.size(), 1u);
    EXPECT_EQ(exitReasonList[0], "Bad vector");
    EXPECT_EQ(erroredExit, 1);

    int lines = trace.lineCount();
    Cvector again(NAN, 0, 0);
    EXPECT_EQ(again.quickFailureTest("b"), 1);
    expectNear(again, 0, 1, 0, 0);
    EXPECT_EQ(trace.lineCount(), lines); // no second report
    EXPECT_EQ(exitReasonList.size(), 1u);
    EXPECT_EQ(numTestsAfter, 2);
    vectErrProc = "";
    vectErrMsg = "";
}

TEST(Cvector2, RotateAndUnrotateRoundTrip) {
    for (float a : {0.0f, 0.4f, 1.7f, -2.9f}) {
        Cvector2 f(std::sin(a), std::cos(a));
        Cvector2 p(3, -1.5f);
        p.rotateBasedOnForwardVect(f);
        EXPECT_NEAR(std::hypot(p.x, p.y), std::hypot(3.0f, 1.5f), 1e-5); // a rotation
        if (a == 0) {                                                    // forward (0, 1) is the identity
            EXPECT_NEAR(p.x, 3, 1e-6);
        }
        p.unrotateBasedOnForwardVect(f);
        EXPECT_NEAR(p.x, 3, 1e-5);
        EXPECT_NEAR(p.y, -1.5f, 1e-5);
    }
}

} // namespace
