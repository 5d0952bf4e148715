// Describes a table of upward slots for the start-up check that every slot is filled.
//
// A table is a struct of pointers only (function pointers or interface pointers). Its
// description names every member with its offset (HOOK_SLOT), so a renamed member fails to
// compile, and describeHooks() refuses a list that does not cover the struct.
#pragma once

#include <cstddef>
#include <cstring>

// One slot: its member name, where it sits in the table, and the part of the program that
// fills it.
struct ChookSlot {
    char const* name;
    size_t offset;
    char const* owner;
};

#define HOOK_SLOT(Table, member, owner)                                                                      \
    ChookSlot {                                                                                              \
#member, offsetof(Table, member), owner                                                              \
    }

// A table and the names of its slots.
struct ChookTable {
    char const* name;
    void const* table;
    ChookSlot const* slots;
    size_t count;

    // Whether slot i holds a pointer.
    bool isSet(size_t i) const {
        void* value = nullptr;
        std::memcpy(&value, static_cast<char const*>(table) + slots[i].offset, sizeof value);
        return value != nullptr;
    }
};

template <size_t N> constexpr bool slotsAreDistinct(ChookSlot const (&slots)[N]) {
    for (size_t i = 0; i < N; i++)
        for (size_t j = i + 1; j < N; j++)
            if (slots[i].offset == slots[j].offset) return false;
    return true;
}

static_assert(sizeof(void (*)()) == sizeof(void*), "function and object pointers share one size");

// The description of table; the slot list must name each member once (checked here for the
// count, by slotsAreDistinct() for doubles).
template <class Table, size_t N>
constexpr ChookTable describeHooks(char const* name, Table const& table, ChookSlot const (&slots)[N]) {
    static_assert(sizeof(Table) == N * sizeof(void*), "every slot of the table is named in its list");
    return ChookTable{name, &table, slots, N};
}
