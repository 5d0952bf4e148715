// Fixture for the variable-tree tests: a fresh data folder with the trace going to a file
// there, no exit recorded, and the live-variable count at the start remembered.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variable.h"

class VarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        ASSERT_EQ(openStdout(data.file("trace.txt").c_str()), 0);
        errorChannels = 7;
        startCount = allocedVariables;
    }
    void TearDown() override {
        closeStdout();
        resetExitState();
    }

    // All exit reasons recorded since the test began, concatenated.
    std::string exits() const { return std::string(exitMsg.c_str()); }
    bool exited(char const* text) const { return exits().find(text) != std::string::npos; }
    int liveSinceStart() const { return allocedVariables - startCount; }
    std::string path(char const* name) const { return data.file(name); }

    // What write puts into a real file stream.
    template <typename Write> std::string written(Write write) {
        std::string file = data.file("out.txt");
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            write(out);
        }
        return readWholeFile(file);
    }

    ScopedDataFolder data;
    int startCount = 0;
};

// Builds a named node of a class under parent (appended) and returns it.
inline Cvariable* child(Cvariable* parent, char const* name, int classCode = CLASS_VAR) {
    Cvariable* v = makeVariable(name, classCode);
    parent->addVariable(v, 1);
    return v;
}

// The names of a node's children, in list order, joined with no separator.
inline std::string childNames(Cvariable const* node) {
    std::string s;
    for (Cvariable* c = node->firstChild; c; c = c->nextSibling)
        s += c->name.c_str();
    return s;
}
