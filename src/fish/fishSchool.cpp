// Schools: their point, their members and the cues they send; how tanks make them.
#include "fish/fishSchool.h"

#include <ostream>

#include "fish/fish.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "support/helperFunctions.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/tankSchools.h"

namespace {
constexpr float kNoisePeriod = 50.0f;
// Schools of one tank start this far apart along the noise, so they wander apart.
constexpr float kNoiseGapBetweenSchools = 11.0f;
} // namespace

CspeciesSchooling::CspeciesSchooling(char const* schoolName, CtankServices* owner) : tank(owner) {
    setName(schoolName);
    flags |= VAR_SAVE;
    registerFloat(noisePosition, "noiseShift", 0);
    schoolWander.init(this, "schoolSync", fastRandValues[fastRandSeedIndex++ & 31] * kNoisePeriod, 1);
    schoolWander.mapToRange = 1;
    figureSchoolPoint();
}

CspeciesSchooling::~CspeciesSchooling() {
    flags |= VAR_TEARING_DOWN;
}

void CspeciesSchooling::addFish(Cfish& fish) {
    if (auto* species = dynamic_cast<Cspecies*>(fish.species)) {
        noiseStep = species->schoolNoiseSpacing;
        averageFrames = species->avgSchoolFrames;
        float const* s = species->schoolSync;
        schoolWander.setDefaults(s[0], s[1], s[2], s[3]);
    }
    // The school makes the link: the fish is told -7 when it breaks and forgets the school.
    setRelationshipWith2(&fish, NATURE_SCHOOL);
    fish.mySchool = this;
    rebuildMembers();
}

void CspeciesSchooling::rebuildMembers() {
    std::vector<Cvariable*> partners;
    fillVectorWithRelationshipsOfNature(partners, -NATURE_SCHOOL);
    members.clear();
    for (Cvariable* p : partners)
        if (auto* fish = dynamic_cast<Cfish*>(p)) members.push_back(fish);
    memberDistance.resize(members.size());
    memberOrder.resize(members.size());
}

void CspeciesSchooling::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    CsafeRelationship::notifyOfBreakup(partner, nature, mine);
    if (nature != NATURE_SCHOOL) {
        VTRACE(2, "school " << name << " breakup of nature " << nature);
        return;
    }
    // The breaking record may still be listed: drop the partner by hand as well.
    rebuildMembers();
    for (size_t i = 0; i < members.size(); i++)
        if (static_cast<CsafeRelationship*>(members[i]) == partner) {
            members.erase(members.begin() + static_cast<long>(i));
            break;
        }
    memberDistance.resize(members.size());
    memberOrder.resize(members.size());
}

void CspeciesSchooling::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    flags |= VAR_BEING_DELETED;
    CsafeRelationship::prepareForDelete();
    members.clear();
}

void CspeciesSchooling::writeConfigString(std::ostream& out) {
    out << ":addSchool " << name.c_str();
}

void CspeciesSchooling::figureSchoolPoint() {
    float noise[3];
    grabNoise3(noisePosition, noise);
    Cvector lo(0, 0, 0), hi(1, 1, 1);
    if (tank) tank->fishVolume(lo, hi);
    Cvector mid = (lo + hi) * 0.5f, size = hi - lo;
    schoolPoint = Cvector(mid.x + 0.6f * noise[0] * size.x, mid.y + 0.6f * noise[1] * size.y,
                          mid.z + 0.6f * noise[2] * size.z);
    if (tank) tank->containPointWithinFishFrustum(schoolPoint, 0.5f);
}

void CspeciesSchooling::updateSchooling() {
    if (members.empty()) return;
    if (frameCounter++ < period) return;
    frameCounter = 0;
    noisePosition = wrap(noisePosition + noiseStep, 0.0f, kNoisePeriod);
    float wanderValue = 0.0f;
    schoolWander.getChanValues(&wanderValue);
    float spread = (lastRandom * 10.0f + 8.0f) * wanderValue;
    float r = fastRandValues[fastRandSeedIndex++ & 31];
    lastRandom = r;
    period = static_cast<int>((r + 0.5f) * averageFrames);
    figureSchoolPoint();
    arriveDistance = r + 1.5f;
    // Nearest first; equal distances keep the member order.
    int n = static_cast<int>(members.size());
    for (int i = 0; i < n; i++) {
        Cvector mid;
        members[i]->getMidPos(mid);
        memberDistance[i] = (mid - schoolPoint).length();
        int j = i;
        while (j > 0 && memberDistance[memberOrder[j - 1]] > memberDistance[i]) {
            memberOrder[j] = memberOrder[j - 1];
            j--;
        }
        memberOrder[j] = i;
    }
    for (int k = 0; k < n; k++) {
        Cfish* fish = members[memberOrder[k]];
        int delay = static_cast<int>(static_cast<float>(k) * spread);
        fish->sendMessage(MESSAGE_JOIN_SCHOOL, fish, 0, arriveDistance, delay);
        fish->sendMessage(MESSAGE_SCHOOL_POINT, fish, 0, arriveDistance, delay);
    }
}

namespace {
class CfishSchoolAccess : public CtankSchoolAccess {
  public:
    Cvariable* makeSchool(Ctank& tank, char const* name) override {
        CspeciesSchooling* previous = nullptr;
        for (Cvariable* c = tank.schoolManager->firstChild; c && !previous; c = c->nextSibling)
            previous = dynamic_cast<CspeciesSchooling*>(c);
        VTRACE(1, "ADDING SCHOOL " << name);
        auto* school = new CspeciesSchooling(name, &tank);
        tank.schoolManager->addVariable(school, 0);
        school->setAsFirstChild();
        if (previous) {
            VTRACE(1, "prevschool=" << previous->name << " prevnz=" << previous->noisePosition);
            school->noisePosition =
                wrap(previous->noisePosition + kNoiseGapBetweenSchools, 0.0f, kNoisePeriod);
            school->figureSchoolPoint();
        }
        return school;
    }
    void joinSchool(Cvariable* school, Cvariable* fish) override {
        auto* s = dynamic_cast<CspeciesSchooling*>(school);
        auto* f = dynamic_cast<Cfish*>(fish);
        if (s && f) s->addFish(*f);
    }
    void updateSchool(Cvariable* school) override {
        if (auto* s = dynamic_cast<CspeciesSchooling*>(school)) s->updateSchooling();
    }
};

CfishSchoolAccess fishSchoolAccess;
} // namespace

void installFishSchools() {
    tankSchoolAccess = &fishSchoolAccess;
}
