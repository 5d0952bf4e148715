#include <memory>
#include <vector>

#include "script/chanController.h"
#include "scriptTestSupport.h"

namespace {

using ChanControllers = ScriptStateTest;

TEST_F(ChanControllers, KindsAreMadeByName) {
    struct {
        char const* kind;
        bool made;
    } const cases[] = {{"finLift", true}, {"finWag", true}, {"caudalWag", true},
                       {"fin", false},    {"", false},      {nullptr, false}};
    for (auto const& c : cases) {
        std::unique_ptr<CchanController> ctl(newChanControllerOfKind(c.kind));
        EXPECT_EQ(ctl != nullptr, c.made) << (c.kind ? c.kind : "null");
    }
    std::unique_ptr<CchanController> wag(newChanControllerOfKind("finWag"));
    auto* finWag = dynamic_cast<CfinWagController*>(wag.get());
    ASSERT_NE(finWag, nullptr);
    EXPECT_EQ(finWag->getSubController("anything"), &finWag->weights); // only the wag has one
    CfinLiftController lift;
    EXPECT_EQ(lift.getSubController("shapeA"), nullptr);
}

TEST_F(ChanControllers, OversizedControllerHasNoCells) {
    CfinWagController wag;
    wag.initialize(1 << 30);
    EXPECT_EQ(wag.angles.count, 0);
    EXPECT_EQ(wag.cosSin.count, 0);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "chan size error");
}

TEST_F(ChanControllers, MissingPairsAreReportedNotFatal) {
    for (int cells : {0, 3}) {
        TraceCapture trace(1);
        CcosSinController c;
        c.setName("pec");
        c.angles.resize(2);
        c.cosSin.resize(cells);
        c.copyToCosSine();
        c.cheapCopyToCosSine();
        ASSERT_FALSE(exitReasonList.empty()) << cells;
        EXPECT_EQ(exitReasonList[0], "cioorA");
        EXPECT_NE(trace.text().find("cos/sin pairs of pec"), std::string::npos);
        for (int i = 0; i < cells; i++)
            EXPECT_EQ(c.cosSin.values[i], 0) << "written despite the error";
    }
}

TEST_F(ChanControllers, LiftBlendsTheShapes) {
    CfinLiftController lift;
    lift.initialize(3);
    lift.shapeB.set(1);
    lift.shapeA.values[2] = 0.5f;
    lift.fill(0, 1);
    EXPECT_EQ(std::vector<float>(lift.angles.values, lift.angles.values + 3),
              (std::vector<float>{0, 0.5f, 1}));
    lift.fill(1, 1); // all shape B
    EXPECT_FLOAT_EQ(lift.angles.values[0], 1);
}

TEST_F(ChanControllers, WagIsAWeightedSinePlusARamp) {
    CfinWagController wag;
    wag.initialize(3);
    wag.weights.set(1);
    wag.weights.values[1] = 0.5f;
    wag.fill(0.4f, 2, 0, 3.14159265f);
    EXPECT_NEAR(wag.angles.values[0], 0, 1e-6);
    EXPECT_NEAR(wag.angles.values[1], 1 + 0.2f, 1e-6);
    EXPECT_NEAR(wag.angles.values[2], 0.4f, 1e-6);
    wag.cheapCopyToCosSine();
    EXPECT_NEAR(wag.cosSin.values[3], 1.2f, 1e-6);
}

} // namespace
