#include "fish/fishKind.h"

#include "fish/fish.h"
#include "fish/fishSchool.h"
#include "fish/tankSpheres.h"
#include "world/thingFactory.h"

namespace {
Cvariable* makeFish() {
    return new Cfish;
}
} // namespace

void installFishKind() {
    registerThingMaker("fish", makeFish);
    installFishSchools();
    installTankSpheres();
}
