#include "world/tankFrameSources.h"

#include "data/dataArray.h"
#include "world/species.h"
#include "world/tank.h"

// Arrays a script named under the wrong shape read as absent rather than misread.
CdataChan const* CtankFrameSources::camShakeChan() {
    return dynamic_cast<CdataChan const*>(tank.camShakeChan);
}
CdataImage const* CtankFrameSources::fishFinFlutter() {
    return dynamic_cast<CdataImage const*>(tank.fishFinFlutter);
}
CdataVolume const* CtankFrameSources::levelSet() {
    return dynamic_cast<CdataVolume const*>(tank.levelSet);
}
float CtankFrameSources::sphereLevelSet(Cvector const& point) {
    if (tank.spheres == nullptr || tankSphereLevelSet == nullptr) return CframeSources::sphereLevelSet(point);
    return tankSphereLevelSet(tank.spheres, point);
}
Cvector CtankFrameSources::camPos() {
    return tank.camPos;
}
double CtankFrameSources::waterPhase() {
    return tank.waterPhase;
}
float CtankFrameSources::causticSpeed() {
    return tank.causticSpeed;
}
Cpov const* CtankFrameSources::pov() {
    return tank.cameraBuilt ? &tank.gridPov : nullptr;
}
int CtankFrameSources::gridColumns() {
    return tank.viewGridCells[0];
}
int CtankFrameSources::gridRows() {
    return tank.viewGridCells[1];
}

CdataImage const* CspeciesFrameSources::colorNoiseImage() {
    return dynamic_cast<CdataImage const*>(species.colorNoiseImage);
}
float CspeciesFrameSources::pushNoiseSpeed() {
    return species.pushNoiseSpeed;
}
float CspeciesFrameSources::causticPointNoiseSpeedU() {
    return species.causticPointNoiseSpeed[0];
}
float CspeciesFrameSources::causticPointNoiseSpeedV() {
    return species.causticPointNoiseSpeed[1];
}
