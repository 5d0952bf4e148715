// Animation cycles and the walk that steps them.
#include "script/animCycle.h"

#include "support/cerr.h"

// A walk in progress over a cycle directory. Walks are linked innermost first so that a
// cycle leaving its directory (removed or deleted by any cycle's step) moves every walk
// that was about to take it on to its successor. Lives on the walker's stack.
struct CcycleWalk {
    Cvariable* current; // the cycle being stepped; null once it has left
    Cvariable* next;
    CcycleWalk* outer;
};
static CcycleWalk* innermostWalk = nullptr;

static void leaveWalks(Cvariable* cycle) {
    for (CcycleWalk* w = innermostWalk; w; w = w->outer) {
        if (w->next == cycle) w->next = cycle->nextSibling;
        if (w->current == cycle) w->current = nullptr;
    }
}

CanimCycle::CanimCycle() : ColdDependent("animCycle"), cycleName("unset") {
    setDeleteWhenDone(0);
}

CanimCycle::~CanimCycle() {
    running = 0;
    leaveWalks(this);
    unhook();
}

void CanimCycle::setDeleteWhenDone(unsigned char on) {
    deleteWhenDone = on ? 1 : 0;
    setFlag(VAR_NOT_DELETED_BY_PARENT, !deleteWhenDone);
}

int CanimCycle::doIt(int) {
    return 1;
}

void CanimCycle::initAnimCycle(Cthing*, int, float) {}

void CanimCycle::start(CanimCycle*) {
    running = 1;
}

void CanimCycle::finish() {
    running = 0;
}

// ---- owner side ----

void CanimCycleOwner::addAnimCycle(CanimCycle* cycle) {
    if (cycle == nullptr) return;
    if (animCycles == nullptr) {
        VTRACE(1, "no animCycles directory for " << cycle->cycleName);
        return;
    }
    if (cycle->parent) {
        leaveWalks(cycle);
        cycle->unhook();
    }
    // The field may have been set directly: the directory must not destroy a kept cycle,
    // and must destroy an owned one when it dies with cycles still in it.
    cycle->setDeleteWhenDone(cycle->deleteWhenDone);
    animCycles->addVariable(cycle);
}

void CanimCycleOwner::doAnimCycles(int frame) {
    if (animCycles == nullptr) return;
    CcycleWalk walk{nullptr, animCycles->firstChild, innermostWalk};
    innermostWalk = &walk;
    while (Cvariable* c = walk.next) {
        walk.next = c->nextSibling; // taken before the step, which may remove c
        auto* cycle = dynamic_cast<CanimCycle*>(c);
        if (cycle == nullptr) continue;
        walk.current = cycle;
        int ended = cycle->doIt(frame);
        // A cycle that already left during its own step is not touched again.
        if (ended && walk.current) removeAnimCycle(cycle);
        walk.current = nullptr;
    }
    innermostWalk = walk.outer;
}

void CanimCycleOwner::removeAnimCycle(CanimCycle* cycle) {
    if (cycle == nullptr) return;
    cycle->finish();
    if (cycle->deleteWhenDone) {
        delete cycle; // its destructor leaves the walks and the directory
        return;
    }
    leaveWalks(cycle);
    cycle->unhook();
}

void CanimCycleOwner::clearAnimCycles() {
    if (animCycles == nullptr) return;
    while (Cvariable* c = animCycles->firstChild) {
        auto* cycle = dynamic_cast<CanimCycle*>(c);
        if (cycle) {
            removeAnimCycle(cycle);
        } else {
            leaveWalks(c);
            deleteVariable(c); // not a cycle: nothing to finish
        }
    }
}
