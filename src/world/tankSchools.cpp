// The tank's side of its fish schools.
#include "world/tankSchools.h"

#include "world/tank.h"

void Ctank::updateSchools() {
    if (tankSchoolAccess == nullptr) return;
    for (Cvariable* school = schoolManager->firstChild; school; school = school->nextSibling)
        tankSchoolAccess->updateSchool(school);
}

void Ctank::fishVolume(Cvector& lo, Cvector& hi) {
    lo = schoolBoxMin;
    hi = schoolBoxMax;
}

bool Ctank::wanderWalls(Cvector const*& points, Cvector const*& normals) {
    points = wanderWallPoint;
    normals = wanderWallNormal;
    return fishFrustum.depthScale != 0.0f;
}
