#include "fish/fishKind.h"

#include "fish/crab.h"
#include "fish/fish.h"
#include "fish/fishShadow.h"
#include "fish/fishSchool.h"
#include "fish/tankSpheres.h"
#include "world/thingFactory.h"

namespace {
Cvariable* makeFish() {
    return new Cfish;
}
Cvariable* makeFishShadow() {
    return new CfishShadow;
}
Cvariable* makeCrab() {
    return new Ccrab;
}
} // namespace

void installFishKind() {
    registerThingMaker("fish", makeFish);
    registerThingMaker("fish_shadow", makeFishShadow);
    registerThingMaker("crab", makeCrab);
    installFishSchools();
    installTankSpheres();
}
