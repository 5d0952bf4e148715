// Fish shadows over the staged resources: every fish species of the default tank casts one,
// its darkness follows the fish's height, and it refuses masters that are no fish.
#include <algorithm>
#include <fstream>
#include <functional>
#include <set>

#include "crabTestSupport.h"
#include "fish/fishShadow.h"
#include "graphics/workObject.h"

namespace {

class FishShadows : public CrabTank {
  protected:
    void SetUp() override {
        CrabTank::SetUp();
        tank->doFishShadows = 1;
    }
    // A fish of the species with its shadow, at height over the sand at (x, z), heading +z.
    Cfish* addFish(char const* species, float x, float height, float z) {
        float floor = 0.0f;
        tank->groundHeightAt(x, z, floor);
        char text[200];
        std::snprintf(text, sizeof text,
                      ":addThing species/%s { :set thingScale 0.4 :set startPos %g %g %g }", species, x,
                      floor + height, z);
        if (script(text) != 0) return nullptr;
        return newest<Cfish>();
    }
    static CfishShadow* shadowOf(Cfish* fish) {
        return fish ? dynamic_cast<CfishShadow*>(fish->shadowThing) : nullptr;
    }
    // The shadow's drawn alphas after one behaviour frame; shown tells whether its groups show.
    std::vector<float> alphas(CfishShadow* shadow, bool& shown) {
        shadow->updateThing(++frameNumber, 0.0f);
        CworkObject* work = shadow->getFinalGeometry();
        std::vector<float> out;
        shown = false;
        if (work == nullptr) return out;
        int b = work->curGeo == &work->workGeo[1] ? 1 : 0;
        float const* colours = work->workGeo[b].pointData() + work->colorOffset * work->numPoints;
        for (int p = 0; p < work->numPoints; p++)
            out.push_back(colours[p * work->colorSize + work->colorSize - 1]);
        for (CrenderPolyGroup const& g : work->renderPolyGroups)
            shown = shown || g.displayed;
        return out;
    }
};

// The fish species the default tank's definition adds.
std::set<std::string> defaultTankFish() {
    std::ifstream in("tanks/wabi_sabi/wabi_sabi.tank");
    std::string line;
    std::set<std::string> names;
    std::string const add = ":addThing species/";
    while (std::getline(in, line)) {
        size_t at = line.find(add);
        if (at == std::string::npos || line.find("startHeading") == std::string::npos) continue;
        size_t from = at + add.size();
        names.insert(line.substr(from, line.find(' ', from) - from));
    }
    return names;
}

TEST_F(FishShadows, EveryFishOfTheDefaultTankCastsOne) {
    std::set<std::string> species = defaultTankFish();
    ASSERT_GE(species.size(), 5u);
    for (std::string const& name : species) {
        Cfish* fish = addFish(name.c_str(), 0.0f, 0.3f, 0.0f);
        ASSERT_NE(fish, nullptr) << name << ": " << reasons();
        CfishShadow* shadow = shadowOf(fish);
        ASSERT_NE(shadow, nullptr) << name;
        EXPECT_EQ(shadow->parentThing, fish);
        EXPECT_TRUE(shadow->initialized && shadow->displayed) << name;
        bool shown = false;
        std::vector<float> a = alphas(shadow, shown);
        // The length the fish's script gave it after it joined the tank.
        EXPECT_FLOAT_EQ(shadow->fishBodyLength, 0.4f) << name;
        ASSERT_FALSE(a.empty()) << name;
        EXPECT_TRUE(shown) << name;
        EXPECT_GT(*std::max_element(a.begin(), a.end()), 0.3f) << name;
        // Laid on the sand, under the fish.
        CworkObject* work = shadow->workObject;
        int b = work->curGeo == &work->workGeo[1] ? 1 : 0;
        for (int p = 0; p < work->numPoints; p++) {
            float const* at = work->pointPosition(b, p);
            float floor = 0.0f;
            ASSERT_TRUE(tank->groundHeightAt(at[0], at[2], floor));
            EXPECT_NEAR(at[1], floor, 0.05f) << name << " point " << p;
            EXPECT_LT(std::hypot(at[0] - fish->vertex[4].x, at[2] - fish->vertex[4].z), fish->bodyLength)
                << name;
        }
        EXPECT_TRUE(exitReasonList.empty()) << name << ": " << reasons();
        dropThing(fish);
        EXPECT_EQ(newest<CfishShadow>(), nullptr) << "the shadow goes with its fish";
    }
}

TEST_F(FishShadows, DarknessFadesWithHeight) {
    struct Case {
        float lengths; // the fish's height over the sand, in body lengths
        float darkness;
        bool shown;
    } const cases[] = {{0.0f, 0.8f, true},
                       {1.0f, 0.7f, true},
                       {2.0f, 0.4f, true},
                       {3.34f, 0.0f, false},
                       {5.0f, 0.0f, false}};
    for (Case const& c : cases) {
        Cfish* fish = addFish("neon_tetra", -0.5f, 1.0f, 0.2f);
        ASSERT_NE(fish, nullptr) << reasons();
        CfishShadow* shadow = shadowOf(fish);
        ASSERT_NE(shadow, nullptr);
        // The fish held with its second spine point exactly that high over the sand.
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(fish->vertex[1].x, fish->vertex[1].z, floor));
        float lift = floor + c.lengths * 0.4f - fish->vertex[1].y;
        for (Cvector& v : fish->vertex)
            v.y += lift;
        bool shown = false;
        std::vector<float> a = alphas(shadow, shown);
        EXPECT_NEAR(shadow->darkness(), c.darkness, 1e-5f) << c.lengths;
        EXPECT_EQ(shown, c.shown) << c.lengths;
        // Each point: the sand's shadow strength there (1 on open sand) times the darkness.
        EXPECT_NEAR(*std::max_element(a.begin(), a.end()), c.darkness, 1e-3f) << c.lengths;
        EXPECT_GE(*std::min_element(a.begin(), a.end()), 0.0f) << c.lengths;
        dropThing(fish);
    }
}

TEST_F(FishShadows, RefusesMastersThatAreNoFish) {
    Ccrab* crab = addCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    struct Case {
        char const* name;
        std::function<Cthing*()> master;
    } const cases[] = {
        {"a crab", [crab] { return crab; }},
        {"nothing", [] { return nullptr; }},
    };
    for (Case const& c : cases) {
        resetExitState();
        auto* shadow = dynamic_cast<CfishShadow*>(makeThing(Cstring("std_fish_shadow"), nullptr));
        ASSERT_NE(shadow, nullptr) << reasons();
        tank->getThingList()->addVariable(shadow, 1);
        EXPECT_EQ(shadow->attachThing(c.master(), ATTACH_SHADOW), 1) << c.name;
        // Only this attach fails: the program goes on.
        EXPECT_TRUE(exitReasonList.empty()) << c.name << ": " << reasons();
        EXPECT_EQ(exitSaver, 0) << c.name;
        EXPECT_EQ(erroredExit, 0) << c.name;
        EXPECT_FALSE(shadow->initialized) << c.name;
        EXPECT_EQ(shadow->parentThing, nullptr) << c.name << ": attached all the same";
        EXPECT_NE(crab->shadowThing, shadow) << c.name;
        dropThing(shadow);
    }
    // A shadow set up once refuses a second fish.
    resetExitState();
    Cfish* fish = addFish("neon_tetra", 0.0f, 0.5f, 0.0f);
    ASSERT_NE(fish, nullptr) << reasons();
    CfishShadow* shadow = shadowOf(fish);
    ASSERT_NE(shadow, nullptr);
    Cfish* other = addFish("neon_tetra", 0.5f, 0.5f, 0.0f);
    ASSERT_NE(other, nullptr) << reasons();
    EXPECT_EQ(shadow->attachThing(other, ATTACH_SHADOW), 1);
    EXPECT_NE(reasons().find("fish shadow has no fish is already initialized"), std::string::npos)
        << reasons();
}

// A shadow model without an alpha per point could not fade: it is refused on attaching.
TEST_F(FishShadows, AShadowWithoutAlphaIsRefused) {
    std::filesystem::path folder = "species/plain_shadow";
    std::filesystem::create_directories(folder);
    for (char const* file : {"std_crab_shadow.geo", "std_crab_shadow_skel.geo"})
        std::filesystem::copy_file(std::filesystem::path("species/std_crab_shadow") / file, folder / file);
    for (char const* sub : {"materials", "arrays"})
        std::filesystem::copy(std::filesystem::path("species/std_crab_shadow") / sub, folder / sub,
                              std::filesystem::copy_options::recursive);
    writeWholeFile((folder / "plain_shadow.spec").string(), ":set class fish_shadow\n:addGeo geo_hi "
                                                            "std_crab_shadow.geo\n:addGeo skeleton "
                                                            "std_crab_shadow_skel.geo\n");
    tank->doFishShadows = 0;
    Cfish* fish = addFish("neon_tetra", 0.0f, 0.5f, 0.0f);
    ASSERT_NE(fish, nullptr) << reasons();
    auto* shadow = dynamic_cast<CfishShadow*>(makeThing(Cstring("plain_shadow"), nullptr));
    ASSERT_NE(shadow, nullptr) << reasons();
    tank->getThingList()->addVariable(shadow, 1);
    EXPECT_EQ(shadow->attachThing(fish, ATTACH_SHADOW), 1);
    EXPECT_NE(reasons().find("Fish shadow needs an alpha!!!"), std::string::npos) << reasons();
    EXPECT_EQ(fish->shadowThing, nullptr);
    dropThing(shadow);
}

// Deleting a shadow first clears its fish's link to it; the fish lives on.
TEST_F(FishShadows, DeletingTheShadowLeavesTheFish) {
    Cfish* fish = addFish("neon_tetra", 0.0f, 0.5f, 0.0f);
    ASSERT_NE(fish, nullptr) << reasons();
    ASSERT_NE(fish->shadowThing, nullptr);
    dropThing(fish->shadowThing);
    EXPECT_EQ(fish->shadowThing, nullptr);
    frame();
    EXPECT_TRUE(exitReasonList.empty()) << reasons();
}

TEST_F(FishShadows, NoShadowsWhileTheTankHasThemOff) {
    tank->doFishShadows = 0;
    Cfish* fish = addFish("neon_tetra", 0.0f, 0.5f, 0.0f);
    ASSERT_NE(fish, nullptr) << reasons();
    EXPECT_EQ(fish->shadowThing, nullptr);
    EXPECT_EQ(newest<CfishShadow>(), nullptr);
}

} // namespace
