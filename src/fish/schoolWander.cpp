// Wander point steps and the tank's wander walls.
#include "fish/schoolWander.h"

#include "script/fastNoise.h"
#include "support/cerr.h"
#include "support/matrix3.h"

std::vector<Cvector> wanderSpread;

CschoolWanderMaster::CschoolWanderMaster() {
    if (!wanderSpread.empty()) return;
    const float s = 0.258819f, c = 0.965926f; // 15 degrees
    wanderSpread = {Cvector(0, 0, 1), Cvector(s, 0, c), Cvector(-s, 0, c), Cvector(0, s, c),
                    Cvector(0, -s, c)};
}

void CschoolWanderMaster::addOutsidePlane(int i, Cvector const& point, Cvector const& normal) {
    if (i < 0 || i >= 6) return;
    walls[i].p = point;
    walls[i].n = normal;
    walls[i].n.normalize();
    VTRACE(2, "walls[planeNum].p " << walls[i].p);
    VTRACE(2, "walls[planeNum].n " << walls[i].n);
}

void CschoolWanderPoint::step(float length) {
    noisePhase += 0.05f;
    Cmatrix3 turn;
    turn.setYrotation(0.1f * fastNoiseWrapLookupVar(noisePhase));
    direction *= turn;
    direction.y = 0.3f * fastNoise(noisePhase + 5.0f);
    direction.normalize();
    position += direction * length;
    if (!master) return;
    for (int i = 0; i < 6; i++) {
        CschoolWanderMaster::Wall const& w = master->walls[i];
        float d = (position - w.p).dot(w.n);
        if (d < 0.0f) {
            position -= w.n * d;
            float& component = i < 2 ? direction.x : i < 4 ? direction.y : direction.z;
            component = -component;
        }
    }
}

int CschoolWanderPoint::findNextPoint(float distance, int maxSteps) {
    if (maxSteps <= 0) return 0;
    Cvector from = position;
    float length = 2.0f * distance / static_cast<float>(maxSteps);
    for (int k = 1; k <= maxSteps; k++) {
        step(length);
        if ((position - from).length() > distance) return k;
    }
    return maxSteps;
}
