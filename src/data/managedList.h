// CmanagedList: a named list of owned items of one type, found by name or by a second
// name (alias). Two items may share a name; lookups give the first.
#pragma once

#include <vector>

#include "support/mystring.h"

template <typename T> class CmanagedList {
  public:
    CmanagedList() = default;
    explicit CmanagedList(Cstring const& label) : name(label) {}
    ~CmanagedList() { clear(); }
    CmanagedList(CmanagedList const&) = delete;
    CmanagedList& operator=(CmanagedList const&) = delete;

    // Takes ownership of item, filed under itemName (also its alias).
    void add(T* item, Cstring const& itemName) {
        items.push_back(item);
        names.push_back(itemName);
        aliases.push_back(itemName);
    }
    // A new default-made item filed under itemName.
    T* addForSure(Cstring const& itemName) {
        T* item = new T;
        add(item, itemName);
        return item;
    }
    // First index at or after start whose name or alias is wanted; -1 when none.
    int findIndex(Cstring const& wanted, int start) const {
        for (size_t i = start < 0 ? 0 : static_cast<size_t>(start); i < items.size(); i++)
            if (names[i] == wanted || aliases[i] == wanted) return static_cast<int>(i);
        return -1;
    }
    T* find(Cstring const& wanted) const {
        int i = findIndex(wanted, 0);
        return i < 0 ? nullptr : items[static_cast<size_t>(i)];
    }
    // Deletes every item and forgets every name.
    void clear() {
        static_assert(sizeof(T) > 0, "items must be complete where the list clears them");
        for (T* item : items)
            delete item;
        items.clear();
        names.clear();
        aliases.clear();
    }
    int size() const { return static_cast<int>(items.size()); }

    Cstring name;
    std::vector<T*> items;
    std::vector<Cstring> names;
    std::vector<Cstring> aliases;
};
