#include "variables/safeRelationship.h"

#include <fstream>

#include "support/engineHooks.h"
#include "support/cerr.h"
#include "variables/variableSaverLoader.h"

int32_t relationshipID = 0;

char const* natureToEnglish(short nature) {
    static char const* const made[] = {
        "undef", "has master tank", "has focus thing", "has shadow", "undef",    "is controlled by",
        "undef", "controls fish",   "crab is chasing", "is chasing", "is eating"};
    static char const* const taken[] = {"undef",
                                        "contains thing",
                                        "is focus for",
                                        "is shadow of",
                                        "undef",
                                        "value affects controller",
                                        "undef",
                                        "is in school of",
                                        "is chased by crab ",
                                        "is chased by",
                                        "is being eaten by"};
    if (nature < -10 || nature > 10) return "undef";
    return nature < 0 ? made[-nature] : taken[nature];
}

static bool tornDown(Cvariable const* v) {
    return v && (v->flags & VAR_TEARING_DOWN);
}

// ---- CsafeRelationship

CsafeRelationship::~CsafeRelationship() {
    prepareForDelete();
    if (flags & DO_PREPARE_FOR_DELETE) {
        VTRACE(1, "still has DO_PREPARE_FOR_DELETE flag");
        setExitError("still has DO_PREPARE_FOR_DELETE flag");
    }
}

void CsafeRelationship::writeConfigString(std::ostream& out) {
    out << ":CsafeRelationship " << name;
}
void CsafeRelationship::writeSaveString(std::ostream& out) {
    out << ":CsafeRelationship " << name;
}
void CsafeRelationship::writeUnregisteredData(std::ostream&, int) {}

void CsafeRelationship::prepareForDelete() {
    if (Cvariable* script = getChild("delete", 0)) {
        if (engineHooks.deleteScriptRunner) engineHooks.deleteScriptRunner(script, this);
        // The script may have deleted it already; delete it only if it is still ours.
        if (Cvariable* still = getChild("delete", 0); still == script) delete script;
    }
    if (flags & DO_PREPARE_FOR_DELETE) {
        flags |= VAR_TEARING_DOWN;
        VTRACE(2, "deleting ~CsafeRelationship " << name);
        removeAllRelationships();
        flags &= ~DO_PREPARE_FOR_DELETE;
    }
}

// A script may delete the directory (":delete dependents"); it is found or made again.
void CsafeRelationship::childLeaving(Cvariable* child) {
    if (child == dependentsDir) dependentsDir = nullptr;
}

Cvariable* CsafeRelationship::getDependentsDir() {
    if (dependentsDir) return dependentsDir;
    if (flags & DO_PREPARE_FOR_DELETE) {
        dependentsDir = getChild("dependents", 0);
        if (dependentsDir) return dependentsDir;
        // The flag without its directory is a broken object; record it and heal it.
        setExitError("DO_PREP_FOR_DELETE is set but no dir!");
    }
    flags |= DO_PREPARE_FOR_DELETE;
    dependentsDir = addDirectory("dependents");
    return dependentsDir;
}

void CsafeRelationship::notifyOfBreakupFrom(CsafeRelationship* other, short nature) {
    VTRACE(2, name << " told of breakup from " << (other ? other->name : Cstring()) << " nature " << nature);
}

void CsafeRelationship::notifyOfBreakup(CsafeRelationship*, short, short) {}

void CsafeRelationship::setRelationshipWith2(CsafeRelationship* other, short nature) {
    if (!other) {
        setExitError("trying to set relation with NULL");
        return;
    }
    VTRACE(2, name << " setting relationship with " << other->name << "  " << other->getType());
    Crelationship* mine = addRelationship(other, static_cast<short>(-nature), relationshipID);
    Crelationship* theirs = other->addRelationship(this, nature, relationshipID);
    mine->alter = theirs;
    theirs->alter = mine;
    relationshipID++;
    VTRACE(2, "done setting relationship");
}

Crelationship* CsafeRelationship::addRelationship(CsafeRelationship* partner, short nature, int uid) {
    auto* record = new Crelationship;
    record->setName(name + "->" + (partner ? partner->name : Cstring()));
    record->partner = partner;
    record->nature = nature;
    record->uid = uid;
    getDependentsDir()->addVariable(record);
    return record;
}

int CsafeRelationship::clearRelationshipType(short nature, CsafeRelationship* partner) {
    if (!(flags & DO_PREPARE_FOR_DELETE) || !dependentsDir) return 0;
    int broken = 0;
    Cvariable* next = nullptr;
    for (Cvariable* v = dependentsDir->firstChild; v; v = next) {
        next = v->nextSibling;
        auto* r = dynamic_cast<Crelationship*>(v);
        if (!r || r->nature != -nature || tornDown(r)) continue;
        if (partner && r->partner != partner) continue;
        r->unhook();
        VTRACE(2, "delete this relationship");
        delete r;
        broken++;
    }
    return broken;
}

void CsafeRelationship::fillVectorWithRelationshipsOfNature(std::vector<Cvariable*>& out, short nature) {
    out.clear();
    if (!dependentsDir) return;
    for (Cvariable* v = dependentsDir->firstChild; v; v = v->nextSibling) {
        auto* r = dynamic_cast<Crelationship*>(v);
        if (r && r->nature == nature && r->partner && !tornDown(r->partner)) out.push_back(r->partner);
    }
}

Crelationship* CsafeRelationship::getNextRelationshipWithNature(Crelationship* after, short nature) {
    if (!dependentsDir) return nullptr;
    for (Cvariable* v = after ? after->nextSibling : dependentsDir->firstChild; v; v = v->nextSibling) {
        auto* r = dynamic_cast<Crelationship*>(v);
        if (r && r->nature == nature && r->partner && !tornDown(r->partner)) return r;
    }
    return nullptr;
}

void CsafeRelationship::removeAllRelationships() {
    if (!dependentsDir) return;
    for (;;) {
        Cvariable* live = nullptr;
        for (Cvariable* v = dependentsDir->firstChild; v && !live; v = v->nextSibling)
            if (!tornDown(v)) live = v;
        if (!live) return;
        VTRACE(2, "removeAllRels ## " << live->name);
        delete live;
    }
}

// ---- Crelationship

Crelationship::~Crelationship() {
    if (flags & VAR_TEARING_DOWN) {
        // Deleted a second time: break nothing more, just let the node go.
        VTRACE(1, "Tried to delete relationship that's already being deleted");
        setExitError("Tried to delete relationship that's already being deleted");
        return;
    }
    flags |= VAR_TEARING_DOWN;
    VTRACE(2, "alterRelationship: " << alter << " object=" << partner << " nature=" << nature << " uid="
                                    << uid << " object name=" << (partner ? partner->name : Cstring()));
    if (alter && partner) {
        alter->flags |= VAR_TEARING_DOWN;
        CsafeRelationship* owner = alter->partner;
        VTRACE(2, "Notifying the other object of the breakup");
        partner->notifyOfBreakup(owner, nature, 0);
        if (owner) {
            VTRACE(2, "Notifying our own object of the breakup");
            owner->notifyOfBreakup(partner, static_cast<short>(-nature), 1);
        } else {
            setExitError("no alter object!");
        }
        VTRACE(2, "Gonna delete the alterrelationship " << alter);
        alter->flags &= ~VAR_TEARING_DOWN;
        alter->alter = nullptr;
        delete alter;
    }
    partner = nullptr;
    alter = nullptr;
    nature = 0;
}

void Crelationship::saveCommand(std::ostream& out, int indent) {
    out << makeTabs(indent);
    if (partner)
        out << natureToEnglish(nature) << " " << partner->name << " (" << nature << ") uid=" << uid;
    else
        out << "no relation";
    Cvariable::saveCommand(out, indent);
}
