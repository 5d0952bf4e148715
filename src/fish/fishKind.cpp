#include "fish/fishKind.h"

#include "fish/fish.h"
#include "fish/fishSchool.h"
#include "world/thingFactory.h"

namespace {
Cvariable* makeFish() {
    return new Cfish;
}
} // namespace

void installFishKind() {
    registerThingMaker("fish", makeFish);
    installFishSchools();
}
