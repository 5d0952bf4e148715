// The thing's side of its work object's per-frame calls: sources and hooks forwarded to
// the thing, its tank and its species.
#include <cstring>

#include "data/dataArrayManager.h"
#include "support/mystring.h"
#include "things/thing.h"
#include "world/thingServices.h"

CframeSources* CthingFrameSources::tankSide() {
    static CframeSources none;
    CframeSources* s = thing.tank ? thing.tank->frameSources() : nullptr;
    return s ? s : &none;
}
CframeSources* CthingFrameSources::speciesSide() {
    static CframeSources none;
    CframeSources* s = thing.species ? thing.species->frameSources() : nullptr;
    return s ? s : &none;
}

CdataChan const* CthingFrameSources::camShakeChan() {
    return tankSide()->camShakeChan();
}
CdataImage const* CthingFrameSources::fishFinFlutter() {
    return tankSide()->fishFinFlutter();
}
CdataVolume const* CthingFrameSources::levelSet() {
    return tankSide()->levelSet();
}
float CthingFrameSources::sphereLevelSet(Cvector const& point) {
    return tankSide()->sphereLevelSet(point);
}
Cvector CthingFrameSources::camPos() {
    return tankSide()->camPos();
}
double CthingFrameSources::waterPhase() {
    return tankSide()->waterPhase();
}
float CthingFrameSources::causticSpeed() {
    return tankSide()->causticSpeed();
}
Cpov const* CthingFrameSources::pov() {
    return tankSide()->pov();
}
int CthingFrameSources::gridColumns() {
    return tankSide()->gridColumns();
}
int CthingFrameSources::gridRows() {
    return tankSide()->gridRows();
}
CdataImage const* CthingFrameSources::colorNoiseImage() {
    return speciesSide()->colorNoiseImage();
}
float CthingFrameSources::pushNoiseSpeed() {
    return speciesSide()->pushNoiseSpeed();
}
float CthingFrameSources::causticPointNoiseSpeedU() {
    return speciesSide()->causticPointNoiseSpeedU();
}
float CthingFrameSources::causticPointNoiseSpeedV() {
    return speciesSide()->causticPointNoiseSpeedV();
}

CframeSources* CthingWorkObjectOwner::frameSources() {
    return thing.tank && thing.tank->frameSources() ? &sources : nullptr;
}
void CthingWorkObjectOwner::getMidPos(Cvector& out) {
    thing.getMidPos(out);
}
void CthingWorkObjectOwner::updateClothControllers() {
    thing.updateClothControllers();
}
void CthingWorkObjectOwner::processLevelSetSensor(ClevelSetSensor* sensor, float level) {
    thing.processLevelSetSensor(sensor, level);
}
void CthingWorkObjectOwner::showThing() {
    thing.showThing();
}
// Built textures are kept under the last component of the script path that made them.
Cvariable* CthingWorkObjectOwner::customTexture(char const* name) {
    if (thing.customTextures == nullptr || name == nullptr) return nullptr;
    char const* slash = std::strrchr(name, '/');
    return thing.customTextures->getChild(slash ? slash + 1 : name);
}
Cvariable* CthingWorkObjectOwner::buildCustomTex(char const* name) {
    return name ? thing.buildCustomTex(Cstring(name)) : nullptr;
}
