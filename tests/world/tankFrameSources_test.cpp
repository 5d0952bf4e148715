// What the tank and a species hand their things' per-frame geometry: arrays of the wrong
// shape read as absent and the view waits for a built camera.
#include <gtest/gtest.h>

#include "data/dataArray.h"
#include "world/species.h"
#include "world/tank.h"

namespace {

TEST(TankFrameSources, ArraysOfTheWrongShapeReadAsAbsentAndTheViewWaitsForACamera) {
    Ctank tank(nullptr);
    Cspecies species;
    CframeSources* s = tank.frameSources();
    CframeSources* fromSpecies = species.frameSources();
    ASSERT_TRUE(s && fromSpecies);
    CdataChan chan;
    CdataImage image;
    CdataVolume volume;
    struct {
        CdataArray* given;
        bool chanSeen, imageSeen, volumeSeen;
    } const cases[] = {
        {nullptr, false, false, false},
        {&chan, true, false, false},
        {&image, false, true, false},
        {&volume, false, false, true},
    };
    for (auto const& c : cases) {
        tank.camShakeChan = tank.fishFinFlutter = tank.levelSet = species.colorNoiseImage = c.given;
        EXPECT_EQ(s->camShakeChan() != nullptr, c.chanSeen);
        EXPECT_EQ(s->fishFinFlutter() != nullptr, c.imageSeen);
        EXPECT_EQ(s->levelSet() != nullptr, c.volumeSeen);
        EXPECT_EQ(fromSpecies->colorNoiseImage() != nullptr, c.imageSeen);
    }
    // Not theirs to free.
    tank.camShakeChan = tank.fishFinFlutter = tank.levelSet = species.colorNoiseImage = nullptr;
    EXPECT_EQ(s->pov(), nullptr) << "no camera built yet";
    EXPECT_EQ(fromSpecies->pov(), nullptr) << "the tank's half is not the species' to give";
    tank.cameraBuilt = 1;
    EXPECT_EQ(s->pov(), &tank.gridPov) << "the view in grid cells, which the culling masks count";
}

} // namespace
