// Fixture for the save and load tests: a fresh data folder, trace into a file there, no
// exit recorded, and helpers to write a node through a real file stream.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variable.h"
#include "world/velmoraFunctions.h"

class PersistTest : public ::testing::Test {
  protected:
    void SetUp() override {
        allowStdoutFile = 0;
        resetExitState();
        ASSERT_EQ(openStdout(data.file("trace.txt").c_str()), 0);
        errorChannels = 7;
        startCount = allocedVariables;
    }
    void TearDown() override {
        closeStdout();
        errorChannels = 0;
        resetExitState();
    }

    std::string exits() const { return std::string(exitMsg.c_str()); }
    bool exited(char const* text) const { return exits().find(text) != std::string::npos; }
    int liveSinceStart() const { return allocedVariables - startCount; }
    std::string path(char const* name) const { return data.file(name); }

    // What a writer puts into a stream, read back from the file.
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

// A named node of a class appended under parent.
inline Cvariable* addChild(Cvariable* parent, char const* name, int classCode = CLASS_VAR) {
    Cvariable* v = makeVariable(name, classCode);
    parent->addVariable(v, 1);
    return v;
}
