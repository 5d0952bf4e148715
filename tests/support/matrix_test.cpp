#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "support/matrix3.h"
#include "support/matrix4.h"
#include "vectorExpect.h"

namespace {

void expectMatrixNear(Cmatrix3 const& a, Cmatrix3 const& b, double tol) {
    expectNear(a.side, b.side, tol, "side");
    expectNear(a.up, b.up, tol, "up");
    expectNear(a.forward, b.forward, tol, "forward");
}

// Rows of unit length and mutually perpendicular, with side x up = handed * forward
// (handed 0: either).
void expectOrthonormal(Cmatrix3 const& m, double tol, float handed = 1) {
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(m.row(i).length(), 1, tol) << i;
        EXPECT_NEAR(m.row(i).dot(m.row((i + 1) % 3)), 0, tol) << i;
    }
    Cvector f;
    f.crossOf(m.side, m.up);
    if (handed != 0) expectNear(f, m.forward * handed, tol, "handedness");
}

class MatrixTest : public ::testing::Test {
  protected:
    void SetUp() override { resetVectorFailureReport(); }
    void TearDown() override { resetVectorFailureReport(); }

    Cvector randomUnit() {
        std::normal_distribution<float> g;
        Cvector v;
        do
            v.set(g(rng), g(rng), g(rng));
        while (v.lengthSquared() < 1e-4f);
        v.normalize();
        return v;
    }
    float randomAngle() { return std::uniform_real_distribution<float>(-3.1f, 3.1f)(rng); }
    Cvector randomPoint(float r = 10) {
        std::uniform_real_distribution<float> u(-r, r);
        return Cvector(u(rng), u(rng), u(rng));
    }
    Cmatrix_4 randomRigid() {
        Cmatrix_4 m;
        m.rot.setAxisRotation(randomUnit(), randomAngle());
        m.pos = randomPoint();
        return m;
    }

    std::mt19937 rng{2024};
};

// Each setter against an independent axis-angle construction: row i of the matrix is
// where the frame's unit axis i goes (the axis of setAxisRotation need not be a unit).
TEST_F(MatrixTest, SettersMatchAxisAngle) {
    Cvector basis[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int trial = 0; trial < 20; trial++) {
        float a = randomAngle();
        Cvector k = randomUnit() * 2.5f;
        Cmatrix3 m[4];
        m[0].setXrotation(a);
        m[1].setYrotation(a);
        m[2].setZrotation(a);
        m[3].setAxisRotation(k, a);
        for (int s = 0; s < 4; s++)
            for (int i = 0; i < 3; i++)
                expectNear(m[s].row(i), rodrigues(s < 3 ? basis[s] : k, a, basis[i]), 2e-6, "row");
    }
}

// Every (axis, keep) pair gives orthonormal rows with row keep untouched and row axis as
// close to the target direction as keep allows.
TEST_F(MatrixTest, OrientFaceStaysOrthonormal) {
    for (int trial = 0; trial < 20; trial++) {
        Cmatrix3 start;
        start.setAxisRotation(randomUnit(), randomAngle());
        Cvector position = randomPoint(), target = randomPoint();
        for (int axis = 0; axis < 3; axis++) {
            for (int keep = 0; keep < 3; keep++) {
                if (axis == keep) continue;
                Cmatrix3 m = start;
                m.orientFace(position, target, axis, keep);
                expectNear(m.row(keep), start.row(keep), 0, "keep");
                // The cyclic pairs keep the frame right-handed.
                expectOrthonormal(m, 3e-6, (keep + 1) % 3 == axis ? 1.0f : 0.0f);
                // Row axis is the target direction with its keep component removed.
                Cvector d = target - position;
                Cvector onPlane = d - m.row(keep) * d.dot(m.row(keep));
                onPlane.normalize();
                expectNear(m.row(axis), onPlane, 2e-5, "aim");
            }
        }
    }
}

TEST_F(MatrixTest, RigidInverseRoundTrips) {
    for (int trial = 0; trial < 50; trial++) {
        Cmatrix_4 n = randomRigid();
        Cmatrix_4 r;
        r.invert(n);
        Cvector p = randomPoint();
        Cvector q = p;
        q *= n;
        q *= r;
        expectNear(q, p, 3e-5, "point");

        Cmatrix_4 both = n;
        both *= r; // n, then its inverse: the identity
        Cmatrix_4 id;
        id.identity();
        expectMatrixNear(both.rot, id.rot, 2e-6);
        expectNear(both.pos, 0, 0, 0, 3e-5, "identity translation");

        // A matrix that held something before inverts just the same.
        Cmatrix_4 used = randomRigid();
        used.invert(n);
        expectMatrixNear(used.rot, r.rot, 0);
        expectNear(used.pos, r.pos, 0, "reused");
        Cmatrix_4 self = n;
        self.invert(self);
        expectNear(self.pos, r.pos, 0, "self");

        Cvector v = p;
        v *= n;
        v /= n;
        expectNear(v, p, 3e-5, "*= then /=");
    }
}

TEST_F(MatrixTest, TransformProducts) {
    for (int trial = 0; trial < 30; trial++) {
        Cmatrix_4 a = randomRigid(), b = randomRigid();
        Cvector p = randomPoint();
        Cvector stepwise = p;
        stepwise *= a;
        stepwise *= b;
        Cmatrix_4 ab = a;
        ab *= b;
        Cvector once = p;
        once *= ab;
        expectNear(once, stepwise, 5e-5, "compose");

        // Relative to b, then back through b: the starting transform.
        Cmatrix_4 rel = ab;
        rel ^= b;
        expectMatrixNear(rel.rot, a.rot, 3e-6);
        expectNear(rel.pos, a.pos, 5e-5, "relative");

        // A direction ignores the translation: the difference of two transformed points.
        Cvector dir = p;
        dir ^= a;
        Cvector origin;
        origin *= a;
        Cvector moved = p;
        moved *= a;
        expectNear(dir, moved - origin, 2e-5, "^=");

        // A transform followed by a pure rotation: all of it turns, translation included.
        Cmatrix_4 spun = a;
        spun *= b.rot;
        Cvector viaSpun = p, viaSteps = p;
        viaSpun *= spun;
        viaSteps *= a;
        viaSteps *= b.rot;
        expectNear(viaSpun, viaSteps, 5e-5, "then rotated");

        // A rotation followed by a transform's rotation part.
        Cmatrix3 rotOnly = a.rot;
        rotOnly *= b;
        Cvector viaRot = p, viaRotSteps = p;
        viaRot *= rotOnly;
        viaRotSteps *= a.rot;
        viaRotSteps ^= b;
        expectNear(viaRot, viaRotSteps, 5e-5, "rotation part");
    }
}

TEST_F(MatrixTest, ScaleExtractAndStreamForms) {
    Cmatrix_4 t;
    t.identity();
    t.pos.set(4, 5, 6);
    t.scale(2);
    std::ostringstream out4;
    out4 << t;
    EXPECT_EQ(out4.str(), " 2 0 0 0 0 2 0 0 0 0 2 0 8 10 12 1");
    Cmatrix3 m;
    m.extractRotations(t);
    std::ostringstream out3;
    out3 << m;
    EXPECT_EQ(out3.str(), " 2 0 0 0 2 0 0 0 2");
}

TEST_F(MatrixTest, FixedPointCopy) {
    Cmatrix3 m;
    m.setZrotation(0.5f);
    m.forward.set(-0.999f, 1, 0.5f);
    CintMatrix3 f;
    f = m;
    EXPECT_EQ(f.side.x.value, static_cast<int16_t>(std::cos(0.5f) * 256));
    EXPECT_EQ(f.up.x.value, static_cast<int16_t>(-std::sin(0.5f) * 256));
    EXPECT_EQ(f.forward.x.value, -255); // toward zero
    EXPECT_EQ(f.forward.y.value, 256);
    EXPECT_EQ(f.forward.z.value, 128);
}

} // namespace
