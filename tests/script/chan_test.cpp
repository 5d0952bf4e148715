#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "script/animValueNew.h"
#include "script/chanController.h"
#include "script/chan.h"
#include "scriptTestSupport.h"

namespace {

void fillChan(Cchan& c, std::initializer_list<float> cells) {
    c.resize(static_cast<int>(cells.size()));
    int i = 0;
    for (float v : cells)
        c.values[i++] = v;
}

void expectCells(Cchan const& c, std::vector<float> const& expected, char const* what) {
    ASSERT_EQ(c.count, static_cast<int>(expected.size())) << what;
    for (int i = 0; i < c.count; i++)
        EXPECT_NEAR(c.values[i], expected[static_cast<size_t>(i)], 1e-5) << what << " cell " << i;
}

using Chans = ScriptStateTest;

// Resized cells are zeroed, so too few values never feed garbage to the fins; an
// oversized count is refused with an exit reason.
TEST_F(Chans, ResizeZeroesAndRefusesOversize) {
    Cchan c;
    c.resize(4);
    c.set(3);
    c.resize(4); // same size: still zeroed
    expectCells(c, {0, 0, 0, 0}, "same");
    c.resize(-2);
    EXPECT_EQ(c.values, nullptr);
    EXPECT_TRUE(exitReasonList.empty());
    c.resize(2000000000);
    EXPECT_EQ(c.count, 0);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "chan size error");
}

TEST_F(Chans, FillFromTexts) {
    std::vector<Cstring> tokens = {"-fillSubChan", "wag", "weights", "0.5", "1", "x", "2"};
    Cchan c;
    c.resize(6);
    c.fillUsingValuesFromStringArray(tokens, 3); // too few texts: the rest stay 0
    expectCells(c, {0.5f, 1, 0, 2, 0, 0}, "six");
    c.fillUsingValuesFromStringArray(tokens, 50);
    c.fillUsingValuesFromStringArray(tokens, -1);
    expectCells(c, {0.5f, 1, 0, 2, 0, 0}, "out of range");
}

using ChanOp = std::function<void(Cchan&, Cchan const&, Cchan const&)>;

// Every cell-wise operation on three cells {1, 2, 3} with operands d = {4, 5, 6, 100}
// (longer operands are fine) and e = {2, 2, 2}, and on one cell {2} with d = {3}, e = {4}.
TEST_F(Chans, CellwiseOperations) {
    struct Case {
        char const* name;
        ChanOp op;
        std::vector<float> three;
        float one;
    } const cases[] = {
        {"set", [](auto& c, auto&, auto&) { c.set(5); }, {5, 5, 5}, 5},
        {"zero", [](auto& c, auto&, auto&) { c.zero(); }, {0, 0, 0}, 0},
        {"add", [](auto& c, auto&, auto&) { c.add(1); }, {2, 3, 4}, 3},
        {"mult", [](auto& c, auto&, auto&) { c.mult(0.5f); }, {0.5f, 1, 1.5f}, 1},
        {"addChan", [](auto& c, auto& d, auto&) { c.add(d); }, {5, 7, 9}, 5},
        {"addMulted", [](auto& c, auto& d, auto&) { c.addMultedChan(d, -1); }, {-3, -3, -3}, -1},
        {"multChan", [](auto& c, auto&, auto& e) { c.mult(e); }, {2, 4, 6}, 8},
        {"multOf", [](auto& c, auto& d, auto& e) { c.multOf(d, e); }, {8, 10, 12}, 12},
        {"lookup", [](auto& c, auto& d, auto& e) { c.doLookup(e, d); }, {6, 6, 6}, 3},
        {"scurveSpan",
         [](auto& c, auto&, auto&) { c.scurveAdd(0, 3, 2, 4); },
         {2 + 2 * sCurve(1 / 6.0f), 3, 2 + 2 * sCurve(5 / 6.0f)},
         2 + 2 * sCurve(1 / 6.0f)},
    };
    Cchan d3, e3, d1, e1;
    fillChan(d3, {4, 5, 6, 100});
    fillChan(e3, {2, 2, 2});
    fillChan(d1, {3});
    fillChan(e1, {4});
    for (auto const& k : cases) {
        Cchan c, one;
        fillChan(c, {1, 2, 3});
        k.op(c, d3, e3);
        expectCells(c, k.three, k.name);
        fillChan(one, {2});
        k.op(one, d1, e1);
        expectCells(one, {k.one}, k.name);
    }
    EXPECT_TRUE(exitReasonList.empty());
}

// A mismatched or empty operand records "cioorA" (or a size error) and skips the
// operation instead of ending the process.
TEST_F(Chans, BadOperandsAreReportedNotFatal) {
    Cchan empty, two, four;
    fillChan(two, {1, 1});
    fillChan(four, {1, 2, 3, 4});
    struct Case {
        char const* name;
        std::function<void(Cchan&)> op;
        char const* reason;
    } const cases[] = {
        {"add short", [&](Cchan& c) { c.add(two); }, "cioorA"},
        {"add empty", [&](Cchan& c) { c.add(empty); }, "cioorA"},
        {"addMulted", [&](Cchan& c) { c.addMultedChan(empty, 2); }, "cioorA"},
        {"weighted sine", [&](Cchan& c) { c.angleToSine(1, two, 0, 1); }, "cioorA"},
        {"sine and cos",
         [&](Cchan& c) {
             Cchan s, k;
             s.resize(2);
             k.resize(3);
             c.angleToSineAndCos(s, k);
         },
         "cioorA"},
        {"lookup", [&](Cchan& c) { c.doLookup(empty, two); }, "cioorA"},
        {"blend", [&](Cchan& c) { c.blendUsing2Floats(two, two, 0, 1); }, "cioorA"},
        {"mult other count", [&](Cchan& c) { c.mult(four); }, "chan size error"},
        {"multOf other count", [&](Cchan& c) { c.multOf(four, two); }, "chan size error"},
    };
    for (auto const& k : cases) {
        TraceCapture trace(1);
        Cchan c;
        fillChan(c, {1, 2, 3});
        k.op(c);
        expectCells(c, {1, 2, 3}, k.name);
        ASSERT_FALSE(exitReasonList.empty()) << k.name;
        EXPECT_EQ(exitReasonList[0], k.reason) << k.name;
        EXPECT_EQ(exitSaver, 1);
    }
}

TEST_F(Chans, Ramps) {
    Cchan c;
    c.resize(5);
    c.lerpAdd(0, 1);
    expectCells(c, {0, 0.25f, 0.5f, 0.75f, 1}, "lerpAdd");
    c.zero();
    c.scurveAdd(0, 1);
    expectCells(c, {0, sCurve(0.25f), 0.5f, sCurve(0.75f), 1}, "scurveAdd");
    c.zero();
    c.lerpReplaceFast(1, 3, 10, 20);
    expectCells(c, {0, 10, 15, 20, 0}, "lerpReplaceFast");
    c.lerpReplaceFast(3, 9, 0, 6);  // clipped at the end
    c.lerpReplaceFast(-2, 0, 4, 6); // cells before the strip are skipped
    expectCells(c, {6, 10, 15, 0, 1}, "clipped");
    c.resize(4);
    c.set(5);
    c.scurveAdd(1, 3, 2, 4);       // replaces cells 1 and 2 only
    c.scurveAdd(0.2f, 0.2f, 9, 9); // empty span
    expectCells(c, {5, 2 + 2 * sCurve(0.25f), 2 + 2 * sCurve(0.75f), 5}, "part");
}

TEST_F(Chans, Bumps) {
    Cchan c;
    c.resize(5);
    c.bumpComp(2, 2, 1);
    expectCells(c, {0, 0.5f, 1, 0.5f, 0}, "bump");
    c.zero();
    c.bumpComp(2, 0, 1);  // no width
    c.bumpComp(-3, 1, 1); // outside the strip
    expectCells(c, {0, 0, 0, 0, 0}, "nothing");

    c.resize(6);
    c.set(1);
    c.bumpCompWideWithAlpha(2, 4, 1, 3, 0.5f);
    // Cell centres 0.5 (outside), 1.5 (shoulder, k = S(0.5)), 2.5 and 3.5 (plateau),
    // 4.5 (shoulder), 5.5 (outside).
    float k = sCurve(0.5f);
    float shoulder = (3 * k) * (0.5f * k) + (1 - 0.5f * k) * 1;
    float plateau = 3 * 0.5f + 0.5f * 1;
    expectCells(c, {1, shoulder, plateau, plateau, shoulder, 1}, "wide");
    c.set(1);
    c.bumpCompWideWithAlpha(2, 4, 0, 3, 1); // no shoulders
    expectCells(c, {1, 1, 3, 3, 1, 1}, "sharp");
}

TEST_F(Chans, SampledKeyframes) {
    CanimValueNew v;
    v.setKey(4, 4, 0);
    Cchan c;
    c.resize(6);
    c.fillUsingAnimValue(v, 1);
    expectCells(c, {0, 1, 2, 3, 4, 4}, "sampled");
    EXPECT_TRUE(v.atRest());
}

using ChanControllers = ScriptStateTest;

// Only the wag has a sub-controller: its weights.
TEST_F(ChanControllers, KindsAreMadeByName) {
    for (char const* unknown : {"fin", "", static_cast<char const*>(nullptr)})
        EXPECT_EQ(std::unique_ptr<CchanController>(newChanControllerOfKind(unknown)), nullptr);
    std::unique_ptr<CchanController> wag(newChanControllerOfKind("finWag"));
    auto* finWag = dynamic_cast<CfinWagController*>(wag.get());
    ASSERT_NE(finWag, nullptr);
    EXPECT_EQ(finWag->getSubController("anything"), &finWag->weights);
    std::unique_ptr<CchanController> lift(newChanControllerOfKind("finLift"));
    ASSERT_NE(dynamic_cast<CfinLiftController*>(lift.get()), nullptr);
    EXPECT_EQ(lift->getSubController("shapeA"), nullptr);
    EXPECT_NE(std::unique_ptr<CchanController>(newChanControllerOfKind("caudalWag")), nullptr);
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

} // namespace
