// ColdDependent: a named list of dependents, kept by tanks, things and animation cycles.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

class ColdDependent {
  public:
    explicit ColdDependent(char const* name = "") : dependentListName(name) {}
    virtual ~ColdDependent();
    ColdDependent(ColdDependent const&) = delete;
    ColdDependent& operator=(ColdDependent const&) = delete;

    // Appends the dependent under a link name, with a copy of the dependent's name.
    void addDependent(ColdDependent* dependent, char const* linkName);
    // Removes the first entry with this dependent and link name; a missing one is an error.
    void removeDependent(ColdDependent* dependent, char const* linkName);
    // Removes the entry at index; an index past the end is an error and removes nothing.
    void removeDependentIndex(int index);
    void removeAllDependencies();
    void showDependents() const;

    int numDependents() const { return count; }
    ColdDependent* dependent(int i) const { return dependents[static_cast<size_t>(i)]; }
    Cstring const& linkName(int i) const { return linkNames[static_cast<size_t>(i)]; }

    Cstring dependentListName;

  private:
    std::vector<ColdDependent*> dependents;
    std::vector<Cstring> linkNames;
    std::vector<Cstring> dependentNames;
    int32_t count = 0; // kept equal to the number of entries
};
