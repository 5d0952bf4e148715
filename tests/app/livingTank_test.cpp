// The default tank as the program runs it over the staged resources: every school swims
// where the viewer sees it, no fish leaves the tank's containment frustum, nothing turns NaN
// and no exit is recorded. Failing pictures are kept as "<species>_<frame>.png".
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "fish/fish.h"
#include "fish/sphereField.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 640, kHeight = 360;

struct Centroid {
    double x = 0, y = 0;
    long pixels = 0;
};

class LivingTank : public HostFixture {
  protected:
    // Starts the program's view over the staged resources and runs frames until the default
    // tank is up.
    Ctank* start() { return startStagedView(view, kWidth, kHeight); }
    // One frame showing only the things of species (the rest of the tank, fish and scenery,
    // hidden): where its pixels sit on the screen.
    Centroid speciesOnScreen(Ctank& tank, std::string const& species, int frame) {
        std::vector<std::pair<Cthing*, char>> saved;
        for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<Cthing*>(v)) {
                saved.push_back({t, char(t->displayed)});
                bool mine = t->species && species == t->species->name.c_str();
                t->setDisplayed(mine ? 1 : 0);
            }
        view->animateOneFrame();
        for (auto const& [t, was] : saved)
            t->setDisplayed(was);
        std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
        EXPECT_EQ(view->glView()->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
        // The clear colour is what the corner shows: no fish starts in the corner.
        Centroid c;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) {
                uint8_t const* p = &px[(size_t(y) * kWidth + x) * 4];
                if (std::abs(p[0] - px[0]) + std::abs(p[1] - px[1]) + std::abs(p[2] - px[2]) < 12) continue;
                c.x += x, c.y += y, c.pixels++;
            }
        if (c.pixels) c.x /= double(c.pixels), c.y /= double(c.pixels);
        if (::testing::Test::HasFailure() || c.pixels == 0)
            writeFramePng((savedCwd / (species + "_" + std::to_string(frame) + ".png")).c_str(), kWidth,
                          kHeight, px.data());
        return c;
    }
    std::unique_ptr<CvelmoraView> view;
};

TEST_F(LivingTank, EverySchoolSwimsOnScreenWithinTheTank) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    std::vector<Cfish*> fish;
    std::map<std::string, int> perSpecies;
    for (Cvariable* v : tank->fishList)
        if (auto* f = dynamic_cast<Cfish*>(v)) {
            fish.push_back(f);
            perSpecies[f->species ? f->species->name.c_str() : "?"]++;
        }
    ASSERT_GE(perSpecies.size(), 4u) << "the default tank's schools";
    // What the fish steer around: the rocks' spheres, the sand, the level set of the water.
    ASSERT_NE(tank->sphereField(), nullptr);
    EXPECT_GE(tank->sphereField()->spheres.size(), 3u);
    float sand = 0.0f;
    EXPECT_TRUE(tank->groundHeightAt(0.0f, 0.0f, sand));
    EXPECT_LT(sand, -1.0f);
    EXPECT_GT(tank->levelSetAt(Cvector(0.0f, 1.0f, -0.5f)), 0.0f) << "open water";
    EXPECT_LT(tank->levelSetAt(Cvector(0.0f, sand - 0.3f, 0.0f)), 0.0f) << "under the sand";
    int neighbours = 0;
    for (auto const& [name, n] : perSpecies)
        EXPECT_GE(n, 3) << name << " is no school";

    std::map<std::string, Centroid> early;
    float worstOutside = 0.0f;
    std::string worstFish = "none";
    for (int frame = 1; frame <= 450; frame++) {
        if (frame == 150 || frame == 450) {
            for (auto const& [name, n] : perSpecies) {
                Centroid c = speciesOnScreen(*tank, name, frame);
                EXPECT_GT(c.pixels, 20 * n) << name << " is not on screen at frame " << frame;
                if (frame == 150) {
                    early[name] = c;
                    continue;
                }
                double moved = std::hypot(c.x - early[name].x, c.y - early[name].y);
                EXPECT_GT(moved, 3.0) << name << "'s pixels stayed where they were";
            }
        } else {
            view->animateOneFrame();
        }
        Cthing* near[16];
        float nearDistances[16];
        if (frame % 50 == 0)
            for (Cfish* f : fish)
                neighbours += tank->avoidanceList(f, 2.0f, near, nearDistances, 16);
        for (Cfish* f : fish) {
            Cvector head = f->vertex[0];
            ASSERT_TRUE(std::isfinite(head.x) && std::isfinite(head.y) && std::isfinite(head.z))
                << f->name.c_str() << " at frame " << frame;
            tank->fishFrustum.realToFrustum(head); // x, y -1..1 across, z 0..1 near to far
            float outside =
                std::max({std::fabs(head.x) - 1.0f, std::fabs(head.y) - 1.0f, -head.z, head.z - 1.0f});
            if (outside > worstOutside) worstOutside = outside, worstFish = f->name.c_str();
        }
    }
    EXPECT_LE(worstOutside, 0.0f) << worstFish << " left the tank's frustum";
    EXPECT_GT(neighbours, int(fish.size())) << "schooling fish see each other to keep apart";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    view->stopAnimation();
}

} // namespace
