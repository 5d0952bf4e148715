// Shared models: loading in both forms, failures, and sharing by request.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/aquaResource.h"
#include "data/dataArrayManager.h"
#include "geoTestSupport.h"
#include "graphics/texturedGeo.h"
#include "support/engineHooks.h"
#include "support/traceCapture.h"
#include "testSupport.h"

namespace {

std::vector<Cstring> pointTexts(char const* stem) {
    std::vector<Cstring> texts;
    for (int p = 0; p < 8; p++)
        texts.push_back(Cstring(stem) + Cstring(p));
    return texts;
}

std::string bytesOf(CgeoNew& geo) {
    std::string out;
    EXPECT_EQ(geo.writeOldFormat(out), 0);
    return out;
}

TEST(TexturedGeo, TreeModelLoadsLikeItsFileTwinPlusItsTexts) {
    TempDir dir;
    CgeoNew source;
    ASSERT_EQ(loadContents(source, cubeContents()), 0);
    ASSERT_TRUE(source.setPointStrings("mtx_cmd", pointTexts("m")));
    ASSERT_TRUE(source.setPointStrings("misc_cmd", pointTexts("c")));
    ASSERT_EQ(source.saveTree(dir.file("cube.tree").c_str(), 1), 0);
    ASSERT_EQ(source.saveOldFormat(dir.file("cube.geo").c_str()), 0);

    CtexturedGeo fromTree, fromFile;
    ASSERT_EQ(fromTree.loadTexturedGeo(dir.file("cube.tree").c_str()), 0);
    ASSERT_EQ(fromFile.loadTexturedGeo(dir.file("cube.geo").c_str()), 0);
    EXPECT_EQ(bytesOf(fromTree), bytesOf(fromFile));
    EXPECT_EQ(fromTree.numPolygons, 6);
    EXPECT_EQ(fromTree.colorOffset, 6);
    std::vector<Cstring> texts;
    ASSERT_TRUE(fromTree.getPointStrings("mtx_cmd", texts));
    EXPECT_EQ(texts, pointTexts("m"));
    ASSERT_TRUE(fromTree.getPointStrings("misc_cmd", texts));
    EXPECT_EQ(texts, pointTexts("c"));
    EXPECT_FALSE(fromFile.getPointStrings("mtx_cmd", texts));
    // The model's own variables are untouched by the load.
    EXPECT_EQ(fromTree.getChild("instances", 0)->getInt(), 0);
    EXPECT_FLOAT_EQ(fromTree.getChild("diffuseMultiply", 0)->getFloat(), 1.0f);
}

// Each file fails in both forms: 1, "couldn't load geo", a reinstall suggested, an empty
// geometry.
TEST(TexturedGeo, ModelsThatLoadInNeitherForm) {
    TempDir dir;
    std::string const path = dir.file("model");
    struct Case {
        char const* what;
        std::function<void()> write;
    } const cases[] = {
        {"missing", [] {}},
        {"text", [&] { writeWholeFile(path, "neither a tree nor a geometry"); }},
        {"damaged tree", [&] { writeWholeFile(path, std::string("DBT\0\x10\x05\x00poi", 10)); }},
        {"tree without geometry",
         [&] {
             CdirectoryVar holder;
             holder.addDirectory("points", 1);
             ASSERT_EQ(holder.saveTree(path.c_str(), 1), 0);
         }},
        {"tree with a bad vertex",
         [&] {
             CgeoNew g;
             ASSERT_EQ(loadContents(g, cubeContents()), 0);
             static_cast<short*>(g.polygons[0]->storage)[0] = 99;
             ASSERT_EQ(g.saveTree(path.c_str(), 1), 0);
         }},
        {"bad geometry file",
         [&] {
             CgeoFileContents g = cubeContents();
             std::string bytes = encoded(g);
             writeWholeFile(path, bytes.substr(0, bytes.size() - 1));
         }},
    };
    for (auto const& c : cases) {
        std::filesystem::remove(path);
        c.write();
        TraceCapture trace(1);
        CtexturedGeo geo;
        EXPECT_EQ(geo.loadTexturedGeo(path.c_str()), 1) << c.what;
        EXPECT_NE(trace.text().find("couldn't load geo"), std::string::npos) << c.what;
        EXPECT_EQ(recommendReinstall, 1) << c.what;
        EXPECT_EQ(geo.numPoints, 0) << c.what;
        EXPECT_EQ(geo.numPolygons, 0) << c.what;
        ASSERT_NE(geo.pointSide.attribs, nullptr) << c.what;
        EXPECT_EQ(geo.pointSide.attribs->firstChild, nullptr) << c.what;
        EXPECT_EQ(geo.getChild("instances", 0)->getInt(), 0) << c.what;
    }
}

TEST(ModelSharing, AModelThatDoesNotLoadIsNotFiled) {
    TempDir dir;
    CdirectoryVar shop;
    sharedResourceTree = &shop;
    installModelLoader();
    std::string folder = dir.file("species");
    std::filesystem::create_directories(folder);
    writeWholeFile(folder + "/junk.geo", "AAG0");
    TraceCapture trace(1);
    EXPECT_EQ(requestGeo2("junk.geo", folder.c_str()), nullptr);
    EXPECT_EQ(recommendReinstall, 1);
    EXPECT_EQ(shop.findVariable(("resources" + folder + "/junk.geo").c_str()), nullptr);
    shop.deleteChildren();
    sharedResourceTree = nullptr;
    engineHooks.modelLoader = nullptr;
}

} // namespace
