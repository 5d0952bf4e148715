#include <cmath>
#include <string>

#include "script/matrixControllerManager.h"
#include "scriptTestSupport.h"

namespace {

class MatrixControllers : public ScriptStateTest {
  protected:
    // A controller driving angle slot of rotater from the named control.
    CmatrixController* drive(char const* control, int slot, float offset, float scale) {
        auto* c = new CmatrixController;
        c->setName(Cstring(control) + "_x");
        c->source = &static_cast<CanimValue*>(manager.findControl(control))->ownValue;
        c->rotater = &rotater;
        c->offset = offset;
        c->scale = scale;
        c->setPointer(&rotater.angles[slot]);
        return manager.addController(c);
    }

    CmatrixControllerManager manager;
    CmatrixAngleRotater rotater;
};

bool nearMatrix(Cmatrix3 const& a, Cmatrix3 const& b) {
    for (int r = 0; r < 3; r++) {
        Cvector d = a.row(r) - b.row(r);
        if (std::fabs(d.x) > 1e-5f || std::fabs(d.y) > 1e-5f || std::fabs(d.z) > 1e-5f) return false;
    }
    return true;
}

TEST_F(MatrixControllers, NotANumberIsABadAngleEveryFrame) {
    TraceCapture trace(1);
    CanimValue* good = manager.addAndRegisterAnimControl("good", 1);
    CanimValue* bad = manager.addAndRegisterAnimControl("bad", 0);
    drive("good", 0, 0, 1);
    drive("bad", 1, 0, 1);
    drive("bad", 2, 0, 1);
    bad->ownValue = std::nanf("");
    manager.animValuesToMatrices();
    manager.animValuesToMatrices();
    std::string text = trace.text();
    int reports = 0;
    for (size_t at = text.find("Exit Error reason: bad angle"); at != std::string::npos;
         at = text.find("Exit Error reason: bad angle", at + 1))
        reports++;
    EXPECT_EQ(reports, 4); // two offending controllers, two frames
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "bad angle");
    EXPECT_NE(text.find("bad_x"), std::string::npos);
    EXPECT_FALSE(std::isnan(rotater.angles[1])); // refused: the angle keeps its value
    EXPECT_FALSE(std::isnan(rotater.angles[2]));
    EXPECT_FLOAT_EQ(rotater.angles[0], good->ownValue);
}

TEST_F(MatrixControllers, InfiniteScaleIsABadAngle) {
    manager.addAndRegisterAnimControl("fin", 1);
    drive("fin", 0, 0, INFINITY);
    manager.animValuesToMatrices();
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "bad angle");
}

TEST(MatrixAngleRotater, EachCodeKeepsItsAxis) {
    // A turn keeps the components along its axis: the joint's own row for codes 0 to 2,
    // the parent's axis component of every row for codes 3 and above.
    Cmatrix3 base;
    base.setXrotation(0.4f);
    for (int code = -1; code <= 6; code++) {
        CmatrixAngleRotater r;
        r.baseMatrix = base;
        r.resetMAR();
        r.angles[0] = 0.3f;
        r.axisCodes[0] = code;
        r.rotateByAngles();
        if (code < 0) {
            EXPECT_TRUE(nearMatrix(r.matrix, base));
        } else if (code < 3) {
            Cvector d = r.matrix.row(code) - base.row(code);
            EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 0, 1e-10) << code;
            EXPECT_FALSE(nearMatrix(r.matrix, base)) << code;
        } else {
            int axis = code < 5 ? code - 3 : 2;
            auto along = [axis](Cvector const& v) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); };
            for (int row = 0; row < 3; row++)
                EXPECT_NEAR(along(r.matrix.row(row)), along(base.row(row)), 1e-6) << code << " row " << row;
            EXPECT_FALSE(nearMatrix(r.matrix, base)) << code;
        }
    }
}

} // namespace
