#include "script/rotaterVar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableLinks.h"

namespace {

// The slave link under master that points at slave, or null.
Cvariable* slaveLinkTo(Cvariable* master, Cvariable* slave) {
    for (Cvariable* c = master->firstChild; c; c = c->nextSibling) {
        if ((c->flags & VAR_SLAVE_LINK) && c->getType() == TYPE_VARIABLE_LINK &&
            static_cast<CvariableLinkVar*>(c)->target == slave)
            return c;
    }
    return nullptr;
}

// An array whose element 0 carries a number: the only arrays that can be choices.
bool isNumericChoice(Cvariable* c) {
    if (c->getType() != TYPE_ARRAY) return false;
    Cvariable* first = c->getChildNoErr(0);
    return first && (first->flags & VAR_HAS_NUMBER);
}

} // namespace

CrotaterVar::CrotaterVar() {
    value = "unset";
    registerString(main, "main", 0);
}

CrotaterVar::~CrotaterVar() {
    // Only the link goes; a text change here would notify listeners of a dying node.
    releaseMaster();
}

void CrotaterVar::releaseMaster() {
    if (master == nullptr) return;
    Cvariable* old = master;
    master = nullptr;
    if (Cvariable* link = slaveLinkTo(old, this)) delete link;
}

void CrotaterVar::setMaster(Cvariable* m) {
    releaseMaster();
    if (m == nullptr) {
        setElem_char(0, "unset");
        return;
    }
    if (m == this) {
        // Its own text changes would notify itself without end.
        setExitSpecial(this, "rotater can't follow itself");
        return;
    }
    master = m;
    m->addSlave(this, "rotater");
    messageFromMaster(1, m);
}

void CrotaterVar::messageFromMaster(int message, Cvariable* from) {
    if (master == nullptr || from != master) return;
    if (message == -1) {
        master = nullptr;
        return;
    }
    // Rotaters that follow each other, or a "change" script that keeps moving the
    // master, would come back here without end.
    if (refreshDepth >= kMaxRefreshDepth) {
        VTRACE(1, "rotater " << name << " refreshes itself without end");
        return;
    }
    refreshDepth++;
    float v = static_cast<float>(master->getElem_float(0));
    CarrayVar* a = findMatchingArray(v, 1);
    if (a == nullptr) {
        // A redirect cycle has already been reported as "bad array".
        if (!badRedirect) {
            char text[512];
            std::snprintf(text, sizeof text, "rotater %s has no values to choose from, value was %f",
                          name.c_str(), static_cast<double>(v));
            setExitError(text, 1);
        }
    } else if (a->elements() < 2) {
        VTRACE(2, "array " << name << " has only " << a->elements() << " children");
        setExitError("bad array", 1);
    } else {
        Cstring label(a->getChildNoErr(1)->getElem_char(0));
        setElem_char(0, main + "`" + label);
    }
    runChangeScript();
    refreshDepth--;
}

CarrayVar* CrotaterVar::findMatchingArray(float v, int allowNearest) {
    std::vector<CarrayVar*> redirects;
    badRedirect = false;
    return findArray(v, allowNearest, redirects);
}

CarrayVar* CrotaterVar::findArray(float v, int allowNearest, std::vector<CarrayVar*>& redirects) {
    CarrayVar* nearest = nullptr;
    float best = 1e30f;
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (!isNumericChoice(c)) continue;
        auto* a = static_cast<CarrayVar*>(c);
        float d = a->getFloat(0) - v;
        if (d == 0) {
            if (!(a->name == "redirect")) return a;
            if (std::find(redirects.begin(), redirects.end(), a) != redirects.end()) {
                // A chain that comes back to itself has no end to find.
                VTRACE(1, "redirect cycle in rotater " << name << " at " << v);
                setExitError("bad array", 1);
                badRedirect = true;
                return nullptr;
            }
            redirects.push_back(a);
            float to = a->getFloat(1);
            VTRACE(1, "old=" << v << "->" << to);
            return findArray(to, allowNearest, redirects);
        }
        if (std::fabs(d) < best) {
            best = std::fabs(d);
            nearest = a;
        }
    }
    if (allowNearest && v != 0 && nearest) return nearest;

    CarrayVar* first = firstNumericChoice();
    // Snapping notifies this rotater again; the guard keeps that from snapping anew.
    if (first && master && !snapping) {
        snapping = true;
        setMasterValue(first->getFloat(0));
        snapping = false;
    }
    return first;
}

CarrayVar* CrotaterVar::firstNumericChoice() {
    // An array whose first element is text cannot be a value to snap to.
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (isNumericChoice(c)) return static_cast<CarrayVar*>(c);
    }
    return nullptr;
}

void CrotaterVar::setMasterValue(float v) {
    if (master) master->setElem_float(0, v);
}

int CrotaterVar::getIndexOfCurrentSelection() {
    if (master == nullptr) return -1;
    CarrayVar* a = findMatchingArray(static_cast<float>(master->getElem_float(0)), 1);
    if (a == nullptr) return -1;
    int index = 0;
    for (Cvariable* c = firstChild; c; c = c->nextSibling) {
        if (!(c->name == "x")) continue;
        if (c == a) return index;
        index++;
    }
    return -1;
}

void CrotaterVar::set(float v) {
    if (master && findMatchingArray(v, 1)) setMasterValue(v);
}

void CrotaterVar::rotate(int step) {
    if (master == nullptr) return;
    float v = static_cast<float>(master->getElem_float(0));
    if (step == 0 || getChild("noRotate")) {
        setMasterValue(v); // a refresh: the notifications fire again
        return;
    }
    CarrayVar* a = findMatchingArray(v, 1);
    if (a == nullptr) {
        VTRACE(2, "array not found");
        return;
    }
    Cvariable* n = a->findNextSiblingOfType(TYPE_ARRAY, 1);
    if (n == nullptr) return;
    float next = static_cast<CarrayVar*>(n)->getFloat(0);
    VTRACE(2, "rotNextVal=" << next);
    setMasterValue(next);
}

void CrotaterVar::runChangeScript() {
    Cvariable* change = getChild("change");
    if (change == nullptr || master == nullptr) return;
    runScript(master->parent ? master->parent : master, change);
}
