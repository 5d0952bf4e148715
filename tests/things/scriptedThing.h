// A thing kind for tests: its hooks write to a journal, its middle is a settable point.
#pragma once

#include <string>
#include <vector>

#include "things/thing.h"

class ScriptedThing : public Cthing {
  public:
    explicit ScriptedThing(char const* label = "thing") { setName(label); }
    int resetThing(int) override {
        journal.push_back("reset");
        initialized = 1;
        return 0;
    }
    void prepForCook() override { journal.push_back("cook"); }
    void doBehavior() override {
        journal.push_back("behave");
        Cthing::doBehavior();
    }
    void goFish(int) override {
        journal.push_back("fish");
        framesUpdated++;
        doAnimCycles();
    }
    void getMidPos(Cvector& out) override { out = middle; }
    void oncePerRefreshFinalProcessing() override { refreshes++; }
    void processMessage(CthingMessage* m) override {
        journal.push_back("message " + std::to_string(m->code));
    }
    int setPooThing(Cthing* t) override {
        pooThing = t;
        return 0;
    }
    void notifyOfCustomTexSize(CdataArray* image) override { notifiedImage = image; }
    void doAnimCycles() { CanimCycleOwner::doAnimCycles(framesUpdated); }
    int behaviourFrames() const {
        int n = 0;
        for (auto const& s : journal)
            n += s == "fish";
        return n;
    }

    std::vector<std::string> journal;
    Cvector middle;
    int refreshes = 0;
    CdataArray* notifiedImage = nullptr;
};
