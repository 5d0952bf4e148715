// Point positions in a work buffer: both layouts, and null for what lies outside.
#include "geoTestSupport.h"
#include "graphics/workObject.h"

namespace {

TEST(WorkObjectPoints, PositionsInEitherLayoutAndNullOutside) {
    CgeoNew cube;
    ASSERT_EQ(loadContents(cube, cubeContents()), 0);
    for (int layout : {0, 1}) {
        CworkObject work;
        // "pos" is not the first attribute, so its place differs between the layouts.
        for (CgeoNew& b : work.workGeo)
            b.clonePoints(cube, {"N", "pos"}, layout);
        for (int p = 0; p < 8; p++) {
            float* at = work.pointPosition(1, p);
            ASSERT_NE(at, nullptr);
            EXPECT_EQ(at[0], static_cast<float>(p & 1)) << "layout " << layout << " point " << p;
            EXPECT_EQ(at[1], static_cast<float>((p >> 1) & 1)) << "layout " << layout << " point " << p;
            EXPECT_EQ(at[2], static_cast<float>(p >> 2)) << "layout " << layout << " point " << p;
        }
        // Writes land in that buffer only.
        work.pointPosition(0, 7)[1] = 5.0f;
        EXPECT_EQ(work.pointPosition(0, 7)[1], 5.0f);
        EXPECT_EQ(work.pointPosition(1, 7)[1], 1.0f);
        struct {
            int buffer, point;
        } outside[] = {{-1, 0}, {2, 0}, {0, -1}, {0, 8}, {1, 32767}};
        for (auto const& c : outside)
            EXPECT_EQ(work.pointPosition(c.buffer, c.point), nullptr) << c.buffer << " " << c.point;
    }
    CworkObject empty; // buffers never filled
    EXPECT_EQ(empty.pointPosition(0, 0), nullptr);
}

} // namespace
