// What the tank and a species hand their things' per-frame geometry: arrays of the wrong
// shape read as absent, the view waits for a built camera, and the values are the live
// ones.
#include <gtest/gtest.h>

#include "data/dataArray.h"
#include "world/species.h"
#include "world/tank.h"

namespace {

TEST(TankFrameSources, ArraysOfTheWrongShapeReadAsAbsent) {
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
}

TEST(TankFrameSources, TheViewWaitsForACameraAndValuesAreLive) {
    Ctank tank(nullptr);
    Cspecies species;
    CframeSources* s = tank.frameSources();
    EXPECT_EQ(s->pov(), nullptr) << "no camera built yet";
    EXPECT_EQ(species.frameSources()->pov(), nullptr) << "the tank's half is not the species' to give";
    tank.cameraBuilt = 1;
    EXPECT_EQ(s->pov(), &tank.gridPov) << "the view in grid cells, which the culling masks count";
    tank.viewGridCells[0] = 12, tank.viewGridCells[1] = 5;
    tank.camPos.set(0.5f, 1.5f, 8.0f);
    tank.waterPhase = 2.75, tank.causticSpeed = 1.25f;
    EXPECT_EQ(s->gridColumns() * 100 + s->gridRows(), 1205);
    EXPECT_EQ(s->camPos().y, 1.5f);
    EXPECT_EQ(s->waterPhase(), 2.75);
    EXPECT_EQ(s->causticSpeed(), 1.25f);
    species.pushNoiseSpeed = 0.5f;
    species.causticPointNoiseSpeed[0] = 0.25f, species.causticPointNoiseSpeed[1] = -0.125f;
    EXPECT_EQ(species.frameSources()->pushNoiseSpeed(), 0.5f);
    EXPECT_EQ(species.frameSources()->causticPointNoiseSpeedU(), 0.25f);
    EXPECT_EQ(species.frameSources()->causticPointNoiseSpeedV(), -0.125f);
}

} // namespace
