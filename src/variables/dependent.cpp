#include "variables/dependent.h"

#include "support/cerr.h"

ColdDependent::~ColdDependent() {
    VTRACE(2, "deleting dependents");
    removeAllDependencies();
}

void ColdDependent::addDependent(ColdDependent* dependent, char const* link) {
    dependents.push_back(dependent);
    linkNames.emplace_back(link ? link : "");
    dependentNames.push_back(dependent ? dependent->dependentListName : Cstring());
    count++;
}

// Dependents may already be gone when a list is torn down, so only the stored copy of a
// dependent's name is read for entries that exist.
void ColdDependent::removeDependent(ColdDependent* dependent, char const* link) {
    for (size_t i = 0; i < dependents.size(); i++) {
        if (dependents[i] == dependent && linkNames[i] == (link ? link : "")) {
            VTRACE(2, "removing dependent " << dependentNames[i] << " from " << dependentListName);
            removeDependentIndex(static_cast<int>(i));
            VTRACE(2, "dependent removed");
            return;
        }
    }
    Cstring depName = dependent ? dependent->dependentListName : Cstring();
    VTRACE(2, "removing dependent " << depName << " from " << dependentListName);
    Cstring message = Cstring("couldn't find dependent ") + depName + "  " + (link ? link : "");
    VTRACE(2, message);
    showDependents();
    setExitError(message.c_str());
}

// The count follows the entries here, so it can never drift from what is stored.
void ColdDependent::removeDependentIndex(int index) {
    if (index < 0 || index >= static_cast<int>(dependents.size())) {
        setExitError("tried to remove too high an index!");
        return;
    }
    dependents.erase(dependents.begin() + index);
    linkNames.erase(linkNames.begin() + index);
    dependentNames.erase(dependentNames.begin() + index);
    count = static_cast<int32_t>(dependents.size());
}

void ColdDependent::removeAllDependencies() {
    VTRACE(2, "removing all dependencies for " << dependentListName << "  num=" << dependents.size());
    while (!dependents.empty()) {
        size_t last = dependents.size() - 1;
        removeDependent(dependents[last], linkNames[last].c_str());
    }
    VTRACE(2, "back from remove dependencies");
}

void ColdDependent::showDependents() const {
    VTRACE(1, "DEPENDENTS of " << dependentListName << " num:" << count << " & " << dependents.size());
    for (size_t i = 0; i < dependents.size(); i++)
        VTRACE(1, linkNames[i] << " from " << dependentNames[i]);
}
