// The default tank as the program runs it over the staged resources: every school swims,
// no fish leaves the tank's containment frustum, nothing turns NaN and no exit is recorded.
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "fish/fish.h"
#include "host/glContext.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tank.h"

namespace {

class LivingTank : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        setenv("VELMORA_INSTALL_DIR", VELMORA_GENERATED_RESOURCE_DIR, 1);
    }
    static std::vector<Cfish*> fishOf(Ctank& tank) {
        std::vector<Cfish*> out;
        for (Cvariable* v : tank.fishList)
            if (auto* f = dynamic_cast<Cfish*>(v)) out.push_back(f);
        return out;
    }
};

// Where a point sits in the tank's containment frustum: x and y -1..1 across it, z 0..1
// from its near face to its far one.
Cvector inFrustum(Ctank& tank, Cvector p) {
    tank.fishFrustum.realToFrustum(p);
    return p;
}

TEST_F(LivingTank, SchoolsSwimWithinTheFrustum) {
    if (!offscreenContextsAvailable()) GTEST_SKIP() << "no EGL display: " << lastContextError();
    auto view = std::make_unique<CvelmoraView>(CviewRect{0, 0, 640, 360}, createOffscreenContext(640, 360), false);
    ASSERT_TRUE(view->valid());
    view->startAnimation();
    ASSERT_NE(shopKeeper, nullptr);
    Ctank* tank = nullptr;
    for (int i = 0; i < 300 && tank == nullptr; i++) {
        view->animateOneFrame();
        for (Cvariable* t = shopKeeper->loadedTanks ? shopKeeper->loadedTanks->firstChild : nullptr; t && !tank;
             t = t->nextSibling)
            tank = t->firstChild ? dynamic_cast<Ctank*>(t->firstChild) : nullptr; // the holder keeps the tank
    }
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 4000 ? logs().size() - 4000 : 0);
    std::vector<Cfish*> fish = fishOf(*tank);
    ASSERT_GE(fish.size(), 30u) << "the default tank's schools";

    // Mid points per species at the start and after 300 frames.
    std::map<std::string, std::pair<Cvector, int>> start, end;
    auto centroids = [&](std::map<std::string, std::pair<Cvector, int>>& out) {
        for (Cfish* f : fish) {
            Cvector mid;
            f->getMidPos(mid);
            auto& c = out[f->species ? f->species->name.c_str() : "?"];
            c.first += mid, c.second++;
        }
    };
    centroids(start);
    float worstOutside = 0.0f;
    std::string worstFish;
    for (int frame = 0; frame < 300; frame++) {
        view->animateOneFrame();
        for (Cfish* f : fish) {
            Cvector head = f->vertex[0];
            ASSERT_TRUE(std::isfinite(head.x) && std::isfinite(head.y) && std::isfinite(head.z))
                << f->name << " at frame " << frame;
            Cvector q = inFrustum(*tank, head);
            float outside = std::max({std::fabs(q.x) - 1.0f, std::fabs(q.y) - 1.0f, -q.z, q.z - 1.0f});
            if (outside > worstOutside) worstOutside = outside, worstFish = f->name.c_str();
        }
        if (frame % 50 == 0)
            for (Cfish* f : fish)
                if (f == fish[0] || f == fish[20])
                    std::printf("%d %s act=%d speed=%.3f desired=%.3f head=%.2f %.2f %.2f\n", frame, f->name.c_str(),
                                int(f->activity), f->bodySpeed, f->desiredBodySpeed, f->vertex[0].x, f->vertex[0].y,
                                f->vertex[0].z);
    }
    EXPECT_LE(worstOutside, 0.0f) << worstFish << " left the tank's frustum";
    centroids(end);
    for (auto const& [name, c] : start) {
        Cvector a = c.first * (1.0f / float(c.second)), b = end[name].first * (1.0f / float(end[name].second));
        EXPECT_GT((a - b).length(), 0.1f) << name << " stayed where it started";
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    view->stopAnimation();
}

} // namespace
