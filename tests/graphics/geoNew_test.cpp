// The geometry container: lookups, shortcuts, work copies and the checks on tree contents.
#include <gtest/gtest.h>

#include <functional>

#include "geoTestSupport.h"
#include "support/traceCapture.h"

namespace {

// Points whose record holds p*10 + k at float k.
CgeoFileContents numbered(std::vector<CgeoFileAttrib> attribs, int points) {
    CgeoFileContents g;
    g.points = points;
    g.attribs = std::move(attribs);
    for (auto const& a : g.attribs)
        g.floatsPerPoint += a.size;
    for (int p = 0; p < points; p++)
        for (int k = 0; k < g.floatsPerPoint; k++)
            g.data.push_back(static_cast<float>(p * 10 + k));
    return g;
}

// Attribute a's floats of point p in an attribute-major geometry.
std::vector<float> blockValues(CgeoNew& geo, char const* a, int p) {
    int offset = geo.findAttrib(a, 0), size = geo.findAttrib(a, 1);
    float const* v = geo.pointData() + offset * geo.numPoints + p * size;
    return std::vector<float>(v, v + size);
}

// A later colour attribute wins; alpha alone as the first colour is renamed and ends the run.
TEST(GeoNew, ColourShortcuts) {
    struct Case {
        std::vector<CgeoFileAttrib> attribs;
        int offset, size;
        bool renamed; // to "Cd"
        char const* reason;
    } const cases[] = {{{{"pos", 3, 0}, {"rgba", 4, 0}}, 3, 4, true, ""},
                       {{{"Cd", 3, 0}, {"rgba", 4, 0}}, 3, 4, false, ""},
                       {{{"pos", 3, 0}, {"Alpha", 1, 0}}, 3, 1, true, "ce=0"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.attribs[1].name.c_str());
        TraceCapture trace(1);
        CgeoNew geo;
        ASSERT_EQ(loadContents(geo, numbered(c.attribs, 2)), 0);
        EXPECT_EQ(geo.colorOffset, c.offset);
        EXPECT_EQ(geo.colorSize, c.size);
        if (c.renamed) {
            EXPECT_EQ(geo.findAttrib(c.attribs[1].name.c_str(), 0), -1);
            EXPECT_EQ(geo.findAttrib("Cd", 0), 3);
            EXPECT_EQ(geo.findAttrib("Cd", 1), c.size);
        }
        EXPECT_EQ(exitReasonList.empty() ? "" : exitReasonList.back().c_str(), std::string(c.reason));
        EXPECT_EQ(exitSaver != 0, *c.reason != 0);
    }
}

TEST(GeoNew, CloneOfAShortAttributeIsPaddedNotOverread) {
    CgeoNew model;
    ASSERT_EQ(loadContents(model, numbered({{"pos", 3, 0}, {"uv", 1, 0}}, 2)), 0);
    CgeoNew copy;
    copy.clonePoints(model, {"uv"}, 1);
    EXPECT_EQ(attribValues(copy, "uv", 1), (std::vector<float>{13, 0}));
}

TEST(GeoNew, CopyingPointData) {
    CgeoNew model, small;
    ASSERT_EQ(loadContents(model, numbered({{"pos", 3, 0}, {"N", 3, 0}}, 3)), 0);
    ASSERT_EQ(loadContents(small, numbered({{"pos", 3, 0}}, 2)), 0);
    CgeoNew a, b;
    a.clonePoints(model, {"pos", "N"}, 0);
    b.clonePoints(model, {"pos", "N"}, 0);
    b.scaleSize(3);
    a.copyPointDataFrom(b);
    EXPECT_EQ(blockValues(a, "pos", 2), (std::vector<float>{60, 63, 66}));

    // Back into a model's records: only with the same point count.
    small.copyPointDataFromAndReinterleave(b);
    EXPECT_EQ(attribValues(small, "pos", 1), (std::vector<float>{10, 11, 12}));
    model.copyPointDataFromAndReinterleave(b);
    EXPECT_EQ(attribValues(model, "pos", 1), (std::vector<float>{30, 33, 36}));
    EXPECT_EQ(attribValues(model, "N", 1), (std::vector<float>{13, 14, 15}));

    // The wrong layout is an error exit, and nothing is copied.
    TraceCapture trace(1);
    model.copyPointDataFrom(b);
    EXPECT_EQ(attribValues(model, "N", 1), (std::vector<float>{13, 14, 15}));
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList.back(), "notInterlvd");
}

// Contents from a binary tree are checked like file contents: each damage is refused
// with a line naming the model, and the counts read 0.
TEST(GeoNew, DamagedTreeContentsAreRefused) {
    struct Case {
        char const* what;
        std::function<void(CgeoNew&)> damage;
    } const cases[] = {
        {"vertex", [](CgeoNew& g) { static_cast<short*>(g.polygons[2]->storage)[1] = 8; }},
        {"point member",
         [](CgeoNew& g) { static_cast<short*>(g.pointSide.findGroup("top")->storage)[0] = -1; }},
        {"prim member", [](CgeoNew& g) { static_cast<short*>(g.primSide.findGroup("lid")->storage)[0] = 6; }},
        {"attribute", [](CgeoNew& g) { g.pointSide.attribs->getChild("uv", 0)->setElem_int(0, 10); }},
        {"no data", [](CgeoNew& g) { delete g.pointSide.attrData; }},
        {"no polygons", [](CgeoNew& g) { delete g.polygonList; }},
        {"data kind",
         [](CgeoNew& g) {
             delete g.pointSide.attrData;
             g.pointsDir->addVariableX("attr_data", CLASS_FLOAT_LINK, 1);
         }},
        {"group kind", [](CgeoNew& g) { g.pointSide.groups->addVariableX("odd", CLASS_STRING, 1); }},
        {"strings",
         [](CgeoNew& g) {
             g.setPointStrings("mtx_cmd", std::vector<Cstring>(8, Cstring("x")));
             delete g.pointsDir->getChild("strings", 0)->getChild("mtx_cmd", 0)->firstChild;
         }},
    };
    for (auto const& c : cases) {
        CgeoNew geo;
        geo.setName("fishA");
        ASSERT_EQ(loadContents(geo, cubeContents()), 0);
        c.damage(geo);
        TraceCapture trace(1);
        EXPECT_EQ(geo.initializeUsingContents(), 1) << c.what;
        EXPECT_NE(trace.text().find("bad geo fishA: "), std::string::npos) << c.what;
        EXPECT_EQ(geo.numPoints, 0) << c.what;
        EXPECT_EQ(geo.numPolygons, 0) << c.what;
        EXPECT_EQ(geo.polygonSize(0), 0) << c.what;
    }
}

} // namespace
