#include "support/distanceTable.h"

#include <algorithm>

#include "support/cerr.h"

void CdistanceTableThing::getHeadMidTailPos(Cvector&, Cvector&, Cvector&) {}

void CdistanceTable::alloc(int n) {
    clear();
    if (n < 1) return;
    capacity = n;
    size_t count = static_cast<size_t>(n);
    things = new CdistanceTableThing*[count]();
    distances = new float*[count];
    float* block = new float[count * count](); // one block: rows are views into it
    for (size_t i = 0; i < count; i++) {
        distances[i] = block + i * count;
        distances[i][i] = 10000.0f; // a thing is never within range of itself
    }
    midPoints = new Cvector[count];
    headPoints = new Cvector[count];
    tailPoints = new Cvector[count];
    avoidList.things = new CdistanceTableThing*[count]();
    avoidList.distances = new float[count]();
    avoidList.count = 0;
    numThings = 0;
}

void CdistanceTable::clear() {
    if (capacity != 0) {
        delete[] things;
        delete[] distances[0];
        delete[] distances;
        delete[] midPoints;
        delete[] headPoints;
        delete[] tailPoints;
        delete[] avoidList.things;
        delete[] avoidList.distances;
    }
    things = nullptr;
    distances = nullptr;
    midPoints = headPoints = tailPoints = nullptr;
    avoidList = CprepDistanceList();
    numThings = 0;
    capacity = 0;
}

void CdistanceTable::setThing(int index, CdistanceTableThing* thing) {
    if (index >= 0 && index < capacity) things[index] = thing;
}

void CdistanceTable::setNumThings(int n) {
    numThings = std::clamp(n, 0, capacity);
}

static float leastFromHead(Cvector const& head, Cvector const& h, Cvector const& m, Cvector const& t) {
    return std::min({(head - h).lengthSquared(), (head - m).lengthSquared(), (head - t).lengthSquared()});
}

void CdistanceTable::updateDistanceTables(int) {
    int n = std::min(numThings, capacity);
    for (int i = 0; i < n; i++)
        if (things[i]) things[i]->getHeadMidTailPos(headPoints[i], midPoints[i], tailPoints[i]);
    for (int i = 0; i < n; i++) {
        for (int j = i + 1; j < n; j++) {
            float q = (midPoints[i] - midPoints[j]).lengthSquared();
            if (q >= 3.0f) {
                distances[i][j] = distances[j][i] = q;
            } else {
                distances[i][j] = leastFromHead(headPoints[i], headPoints[j], midPoints[j], tailPoints[j]);
                distances[j][i] = leastFromHead(headPoints[j], headPoints[i], midPoints[i], tailPoints[i]);
            }
        }
    }
    currentIndex = 0;
}

CprepDistanceList& CdistanceTable::prepareMyAvoidanceList(CdistanceTableThing* thing, float range) {
    avoidList.count = 0;
    int n = std::min(numThings, capacity);
    int k = -1;
    for (int i = 0; i < n && k < 0; i++)
        if (things[i] == thing) k = i;
    if (k < 0) {
        VTRACE(2, "THING " << static_cast<void*>(thing)
                           << " requested a table, but was not found in distance table");
        return avoidList;
    }
    currentIndex = k;
    for (int m = 0; m < n; m++) {
        if (range > distances[k][m]) {
            avoidList.things[avoidList.count] = things[m];
            avoidList.distances[avoidList.count] = distances[k][m];
            avoidList.count++;
        }
    }
    return avoidList;
}

void CdistanceTable::showDistanceTable() const {
    VTRACE(2, "num things: " << numThings);
    for (int i = 0; i < numThings; i++) {
        Cstring row;
        for (int j = 0; j < numThings; j++) {
            row += Cstring(distances[i][j]);
            row += ' ';
        }
        VTRACE(2, row);
    }
}
