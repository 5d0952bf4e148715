#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "script/animValueNew.h"
#include "script/chan.h"
#include "support/traceCapture.h"

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

class Chans : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override { resetExitState(); }
};

TEST_F(Chans, ResizeZeroesTheCells) {
    Cchan c;
    c.resize(4);
    expectCells(c, {0, 0, 0, 0}, "new");
    c.set(3);
    c.resize(4); // same size: still zeroed
    expectCells(c, {0, 0, 0, 0}, "same");
    c.resize(-2);
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.values, nullptr);
}

TEST_F(Chans, OversizedCountIsRefused) {
    Cchan c;
    c.resize(3);
    c.resize(2000000000);
    EXPECT_EQ(c.count, 0);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "chan size error");
}

TEST_F(Chans, FillFromTexts) {
    std::vector<Cstring> tokens = {"-fillSubChan", "wag", "weights", "0.5", "1", "x", "2"};
    Cchan c;
    c.resize(3);
    c.fillUsingValuesFromStringArray(tokens, 3);
    expectCells(c, {0.5f, 1, 0}, "three");
    c.resize(6);
    c.fillUsingValuesFromStringArray(tokens, 3); // too few texts: the rest stay 0
    expectCells(c, {0.5f, 1, 0, 2, 0, 0}, "six");
    c.fillUsingValuesFromStringArray(tokens, 50);
    c.fillUsingValuesFromStringArray(tokens, -1);
    expectCells(c, {0.5f, 1, 0, 2, 0, 0}, "out of range");
}

TEST_F(Chans, ValueAtPositions) {
    Cchan c;
    fillChan(c, {0, 10, 20});
    struct {
        float x, expected;
    } const cases[] = {{-1, 0}, {0.5f, 5}, {1.25f, 12.5f}, {2, 20}, {7, 20}, {std::nanf(""), 0}};
    for (auto const& k : cases)
        EXPECT_FLOAT_EQ(c.getValueAt(k.x), k.expected) << k.x;
    Cchan one, none;
    fillChan(one, {4});
    EXPECT_FLOAT_EQ(one.getValueAt(0.5f), 4);
    EXPECT_FLOAT_EQ(none.getValueAt(1), 0);
}

TEST_F(Chans, Lookup) {
    Cchan table, positions, out;
    fillChan(table, {0, 10, 20});
    fillChan(positions, {0.5f, -3, 1.5f});
    out.resize(3);
    out.doLookup(positions, table);
    expectCells(out, {5, 0, 15}, "lookup");
}

TEST_F(Chans, ScalarArithmetic) {
    Cchan c;
    fillChan(c, {1, 2, 3});
    c.add(1);
    expectCells(c, {2, 3, 4}, "add");
    c.mult(0.5f);
    expectCells(c, {1, 1.5f, 2}, "mult");
    c.zero();
    expectCells(c, {0, 0, 0}, "zero");
    c.set(7);
    expectCells(c, {7, 7, 7}, "set");
}

TEST_F(Chans, CellwiseArithmetic) {
    Cchan c, d, e;
    fillChan(c, {1, 2, 3});
    fillChan(d, {4, 5, 6, 100}); // longer operands are fine
    c.add(d);
    expectCells(c, {5, 7, 9}, "add");
    c.addMultedChan(d, -1);
    expectCells(c, {1, 2, 3}, "addMulted");
    fillChan(e, {2, 2, 2});
    c.mult(e);
    expectCells(c, {2, 4, 6}, "mult");
    c.multOf(d, e);
    expectCells(c, {8, 10, 12}, "multOf");
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(Chans, SizeErrorsSkipTheOperation) {
    TraceCapture trace(1);
    Cchan c, d;
    fillChan(c, {1, 2, 3});
    fillChan(d, {1, 2, 3, 4});
    c.mult(d); // different counts
    expectCells(c, {1, 2, 3}, "mult");
    EXPECT_NE(trace.text().find("chan size error in mult"), std::string::npos);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "chan size error");
    resetExitState();
    Cchan shorter;
    fillChan(shorter, {5});
    c.multOf(d, shorter);
    expectCells(c, {1, 2, 3}, "multOf");
    EXPECT_NE(trace.text().find("multOf"), std::string::npos);
    EXPECT_EQ(exitSaver, 1);
}

TEST_F(Chans, ShortOperandsAreReportedNotFatal) {
    Cchan empty, two;
    fillChan(two, {1, 1});
    // Each operation on a three-cell chan with an operand that is too short.
    for (int op = 0; op < 7; op++) {
        TraceCapture trace(1);
        Cchan c, s, k;
        fillChan(c, {1, 2, 3});
        Cchan const& operand = op % 2 ? empty : two;
        switch (op) {
        case 0:
        case 1:
            c.add(operand);
            break;
        case 2:
            c.addMultedChan(operand, 2);
            break;
        case 3:
            c.angleToSine(1, operand, 0, 1);
            break;
        case 4:
            s.resize(2);
            k.resize(3);
            c.angleToSineAndCos(s, k);
            break;
        case 5:
            c.doLookup(operand, two);
            break;
        case 6:
            c.blendUsing2Floats(two, two, 0, 1);
            break;
        }
        expectCells(c, {1, 2, 3}, "untouched");
        ASSERT_FALSE(exitReasonList.empty()) << op;
        EXPECT_EQ(exitReasonList[0], "cioorA") << op;
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
    c.lerpReplaceFast(3, 9, 0, 6); // clipped at the end
    expectCells(c, {0, 10, 15, 0, 1}, "clipped");
    c.lerpReplaceFast(-2, 0, 4, 6); // cells before the strip are skipped
    expectCells(c, {6, 10, 15, 0, 1}, "before");
    c.lerpReplaceFast(2, 2, 9, 9);
    EXPECT_FLOAT_EQ(c.values[2], 9);
}

TEST_F(Chans, BlendTwoShapes) {
    Cchan a, b, c;
    fillChan(a, {0, 0, 0});
    fillChan(b, {10, 10, 10});
    c.resize(3);
    c.blendUsing2Floats(a, b, 0, 1);
    expectCells(c, {0, 5, 10}, "blend");
}

TEST_F(Chans, SCurveBetweenPositions) {
    Cchan c;
    c.resize(4);
    c.scurveAdd(0, 4, 0, 1);
    expectCells(c, {sCurve(0.125f), sCurve(0.375f), sCurve(0.625f), sCurve(0.875f)}, "full");
    c.set(5);
    c.scurveAdd(1, 3, 2, 4); // replaces cells 1 and 2 only
    expectCells(c, {5, 2 + 2 * sCurve(0.25f), 2 + 2 * sCurve(0.75f), 5}, "part");
    c.scurveAdd(0.2f, 0.2f, 9, 9); // empty span
    EXPECT_FLOAT_EQ(c.values[0], 5);
}

TEST_F(Chans, Bumps) {
    Cchan c;
    c.resize(5);
    c.bumpComp(2, 2, 1);
    expectCells(c, {0, 0.5f, 1, 0.5f, 0}, "bump");
    c.zero();
    c.bumpComp(2, 0, 1);
    expectCells(c, {0, 0, 0, 0, 0}, "no width");
    c.bumpComp(-3, 1, 1); // outside the strip
    expectCells(c, {0, 0, 0, 0, 0}, "outside");
}

TEST_F(Chans, WideBumpWithAlpha) {
    Cchan c;
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

TEST_F(Chans, Sines) {
    Cchan c, w, s, k;
    c.resize(3);
    c.angleToSine(2, 0, 3.14159265f);
    expectCells(c, {0, 2, 0}, "sine");
    fillChan(w, {1, 0.5f, 1});
    c.angleToSine(2, w, 0, 3.14159265f);
    expectCells(c, {0, 1, 0}, "weighted");
    fillChan(c, {0, 0.5f, 1});
    s.resize(3);
    k.resize(3);
    c.angleToSineAndCos(s, k);
    expectCells(s, {0, std::sin(0.5f), std::sin(1.0f)}, "sines");
    expectCells(k, {1, std::cos(0.5f), std::cos(1.0f)}, "cosines");
}

TEST_F(Chans, OneCellTakesTheStartOfEveryRamp) {
    Cchan c, w;
    c.resize(1);
    c.lerpAdd(3, 9);
    expectCells(c, {3}, "lerpAdd");
    c.scurveAdd(0.5f, 9);
    expectCells(c, {3 + sCurve(0.5f)}, "scurveAdd");
    c.angleToSine(2, 0.5f, 9);
    expectCells(c, {2 * std::sin(0.5f)}, "angleToSine");
    fillChan(w, {3});
    c.angleToSine(1, w, 0.25f, 9);
    expectCells(c, {3 * std::sin(0.25f)}, "weighted");
    Cchan a, b;
    fillChan(a, {1});
    fillChan(b, {5});
    c.blendUsing2Floats(a, b, 0.25f, 1);
    expectCells(c, {2}, "blend");
    c.bumpComp(0, 1, 1);
    expectCells(c, {1}, "bump");
    c.lerpReplaceFast(0, 4, 7, 8);
    expectCells(c, {7}, "lerpReplaceFast");
    EXPECT_FLOAT_EQ(c.getValueAt(3), 7);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(Chans, OneCellCellwiseOperations) {
    // Every operation that is not a ramp, on a single cell of 2 with single-cell operands.
    struct Case {
        char const* name;
        void (*op)(Cchan& c, Cchan const& three, Cchan const& four);
        float expected;
    };
    Case const cases[] = {
        {"set", [](Cchan& c, Cchan const&, Cchan const&) { c.set(5); }, 5},
        {"zero", [](Cchan& c, Cchan const&, Cchan const&) { c.zero(); }, 0},
        {"add", [](Cchan& c, Cchan const&, Cchan const&) { c.add(1); }, 3},
        {"mult", [](Cchan& c, Cchan const&, Cchan const&) { c.mult(3); }, 6},
        {"addChan", [](Cchan& c, Cchan const& t, Cchan const&) { c.add(t); }, 5},
        {"addMulted", [](Cchan& c, Cchan const& t, Cchan const&) { c.addMultedChan(t, 2); }, 8},
        {"multChan", [](Cchan& c, Cchan const& t, Cchan const&) { c.mult(t); }, 6},
        {"multOf", [](Cchan& c, Cchan const& t, Cchan const& f) { c.multOf(t, f); }, 12},
        {"lookup", [](Cchan& c, Cchan const& t, Cchan const&) { c.doLookup(t, t); }, 3},
        {"scurveSpan", [](Cchan& c, Cchan const&, Cchan const&) { c.scurveAdd(0, 1, 2, 4); }, 3},
        {"wideBump", [](Cchan& c, Cchan const&, Cchan const&) { c.bumpCompWideWithAlpha(0, 1, 0.5f, 4, 1); },
         4},
    };
    Cchan three, four;
    fillChan(three, {3});
    fillChan(four, {4});
    for (auto const& k : cases) {
        Cchan c;
        fillChan(c, {2});
        k.op(c, three, four);
        expectCells(c, {k.expected}, k.name);
    }
    Cchan s, co, one;
    fillChan(one, {0.5f});
    s.resize(1);
    co.resize(1);
    one.angleToSineAndCos(s, co);
    EXPECT_FLOAT_EQ(s.values[0], std::sin(0.5f));
    EXPECT_FLOAT_EQ(co.values[0], std::cos(0.5f));
    EXPECT_TRUE(exitReasonList.empty());
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

TEST_F(Chans, ShowChanTracesEveryCell) {
    TraceCapture trace(1);
    Cchan c;
    fillChan(c, {1.5f, 2});
    c.showChan("fin");
    c.renderChan("fin", 1);
    EXPECT_NE(trace.text().find("chan fin (2)"), std::string::npos);
    EXPECT_NE(trace.text().find("1 2"), std::string::npos);
    EXPECT_EQ(trace.lineCount(), 3);
}

} // namespace
