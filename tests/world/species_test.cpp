// Species: skeleton commands and matrix renumbering on tiny models, constants and saved
// forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "graphics/geoFile.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "world/species.h"

namespace {
// n joints: pos, assignAsMat, mat (two columns) and the command strings.
CgeoFileContents skeletonContents(std::vector<float> const& assign) {
    CgeoFileContents g;
    g.points = static_cast<int>(assign.size());
    g.attribs = {{"pos", 3, 0}, {"assignAsMat", 1, 0}, {"mat", 2, 0}, {"misc_cmd", 1, 0}};
    g.floatsPerPoint = 7;
    for (size_t p = 0; p < assign.size(); p++) {
        auto f = static_cast<float>(p);
        g.data.insert(g.data.end(), {0, 0, f, assign[p], f, f + 1 < assign.size() ? f + 1 : 0, 0});
    }
    return g;
}

class SpeciesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        species.setName("angel");
    }
    void TearDown() override {
        species.skeleton = nullptr;
        resetExitState();
    }
    // A skeleton of the given assignAsMat values and commands, handed to the species.
    void giveSkeleton(std::vector<float> const& assign, std::vector<Cstring> const& commands) {
        std::string bytes;
        species.skeleton = nullptr;
        skeletonGeo = std::make_unique<CtexturedGeo>();
        CtexturedGeo& skeleton = *skeletonGeo;
        ASSERT_EQ(encodeGeoFile(skeletonContents(assign), bytes), nullptr);
        ASSERT_EQ(skeleton.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()),
                                                   bytes.size(), "skel"),
                  0);
        ASSERT_TRUE(skeleton.setPointStrings("misc_cmd", commands));
        species.skeleton = &skeleton;
    }
    float at(char const* attrib, int point) {
        return skeletonGeo->pointRecord(point)[skeletonGeo->findAttrib(attrib, 0)];
    }
    std::unique_ptr<CtexturedGeo> skeletonGeo;
    Cspecies species;
};
} // namespace

TEST_F(SpeciesTest, SkeletonCommands) {
    struct {
        char const* command;
        int result;
        char const* reason;
    } const cases[] = {
        {"-cc lift finLift 4", 0, nullptr},
        {"-cc other spin 4", 0, nullptr}, // an unknown type adds nothing
        {"-cc lift finLift", 1, "bad skeleton command -cc"},
        {"-mkFlt wobble 1.5 2.5", 0, nullptr},
        {"-mkFlt wobble", 1, "bad skeleton command -mkFlt"},
        {"-setFlt tailWagAmp 3", 0, nullptr},
        {"-setFlt tailWagAmp", 1, "bad skeleton command -setFlt"},
        {"-fillSubChan nobody angles 1 2", 1, "cfcc"},
        {"-fillSubChan lift", 1, "bad skeleton command -fillSubChan"},
        {"-fillSubChan lift nothing 1 2", 1, "cfsc"},
        {"-bogus", 1, "rmcfg"},
    };
    for (auto const& c : cases) {
        resetExitState();
        giveSkeleton({0, 1, 2}, {Cstring(""), Cstring(c.command), Cstring("")});
        EXPECT_EQ(species.readMiscCommandsFromGeo(), c.result) << c.command;
        if (c.reason) EXPECT_NE(std::string(exitMsg.c_str()).find(c.reason), std::string::npos) << c.command;
    }
    ASSERT_NE(species.getChanController("lift"), nullptr);
    EXPECT_EQ(species.getChanController("other"), nullptr);
    EXPECT_EQ(species.controllers.countChildren(-1), 1); // the short "-cc" made none
    Cvariable* wobble = species.getChild("wobble");
    ASSERT_NE(wobble, nullptr);
    EXPECT_FLOAT_EQ(static_cast<float>(wobble->getElem_float(1)), 2.5f);
    EXPECT_FLOAT_EQ(species.tailWagAmp, 3.0f);
}

TEST_F(SpeciesTest, OptimizeMatricesRenumbers) {
    struct {
        std::vector<float> assign;
        int result;
        std::vector<float> mat; // first "mat" column afterwards
    } const cases[] = {
        // Point i claims entry assign[i]; "mat" values are renumbered through the table.
        {{2, 0, 1}, 0, {1, 2, 0}},
        // The later point wins entry 1; entry 0 stays unclaimed (-10).
        {{1, 1, 2}, 0, {-10, 1, 2}},
        {{0, -1, 2}, 1, {0, 1, 2}}, // negative values are refused, nothing renumbered
    };
    for (auto const& c : cases) {
        resetExitState();
        giveSkeleton(c.assign, {Cstring(""), Cstring(""), Cstring("")});
        EXPECT_EQ(species.optimizeMatrices(), c.result);
        for (int p = 0; p < 3; p++) {
            EXPECT_EQ(at("mat", p), c.mat[static_cast<size_t>(p)]) << p;
            if (c.result == 0) EXPECT_EQ(at("assignAsMat", p), static_cast<float>(p));
        }
    }
}

TEST_F(SpeciesTest, ConstantsSavedFormsAndCloth) {
    double v = 0;
    EXPECT_EQ(species.getLocalConstant(Cstring("TEX2_SHORT"), v), 0);
    EXPECT_EQ(v, 4.0);
    EXPECT_EQ(species.getLocalConstant(Cstring("WIDE"), v), 1);
    EXPECT_EQ(species.getClothIndex("fin"), -1);
    TempDir dir;
    {
        std::ofstream out(dir.file("s"));
        species.writeConfigString(out);
        out << "|";
        species.writeSaveString(out);
    }
    EXPECT_EQ(readWholeFile(dir.file("s")), ":addSpecies? angel|:species angel");
}

// A species is a safe-relationship node: searches by type find it as one (31), a saved tree
// stores it as the directory it is (class 16), and a partner learns when it goes.
TEST(SpeciesKind, ASpeciesIsASafeRelationship) {
    auto* species = new Cspecies;
    species->setName("angel");
    EXPECT_EQ(species->getType(), TYPE_SAFE_RELATIONSHIP);
    EXPECT_EQ(species->getClass(), CLASS_DIRECTORY);
    CdirectoryVar holder;
    holder.addVariable(species, 1);
    EXPECT_EQ(holder.findFirstChildOfType(TYPE_SAFE_RELATIONSHIP), species);
    CsafeRelationship partner;
    partner.setRelationshipWith2(species, 5);
    std::vector<Cvariable*> related;
    partner.fillVectorWithRelationshipsOfNature(related, -5);
    EXPECT_EQ(related.size(), 1u);
    holder.deleteChildren();
    related.clear();
    partner.fillVectorWithRelationshipsOfNature(related, -5);
    EXPECT_TRUE(related.empty());
}
