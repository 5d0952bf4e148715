// Fixture for the variable-tree tests: a fresh data folder with the trace going to a file
// there, no exit recorded, and the live-variable count at the start remembered.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variable.h"
#include "variables/variableLinks.h"

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

// Under holder: "top" holding a node of every kind with values, then a "second" folder.
inline Cvariable* everyKind(CdirectoryVar* holder) {
    Cvariable* top = child(holder, "top", CLASS_DIRECTORY);
    child(top, "plain");
    child(top, "sh", CLASS_SHORT)->setInt(-300);
    child(top, "i", CLASS_INT)->setInt(-123456789);
    child(top, "f", CLASS_FLOAT)->setFloat(3.25);
    child(top, "s", CLASS_STRING)->setString("text with \"quotes\"");
    auto* raw = static_cast<ClinkVar*>(child(top, "raw", CLASS_LINK));
    std::memcpy(raw->allocElements(2, 3), "abcdef", 6);
    auto* il = static_cast<ClinkVar*>(child(top, "il", CLASS_INT_LINK));
    il->allocElements(3, 4);
    for (int k = 0; k < 3; k++)
        il->setElem_int(static_cast<unsigned short>(k), k * 1000 - 1);
    auto* fl = static_cast<ClinkVar*>(child(top, "fl", CLASS_FLOAT_LINK));
    fl->allocElements(2, 4);
    fl->setElem_float(0, 0.25);
    fl->setElem_float(1, -0.5);
    auto* sl = static_cast<ClinkVar*>(child(top, "sl", CLASS_STRING_LINK));
    sl->allocElements(1, sizeof(Cstring));
    sl->setElem_char(0, "link text");
    auto* shl = static_cast<ClinkVar*>(child(top, "shl", CLASS_SHORT_LINK));
    shl->allocElements(1, 2);
    shl->setElem_int(0, -7);
    auto* arr = static_cast<CarrayVar*>(child(top, "arr", CLASS_ARRAY));
    arr->addInt(4);
    arr->addFloat(0.5f);
    arr->addString("el");
    auto* res = static_cast<CresourceFileVar*>(child(top, "res", CLASS_RESOURCE_FILE));
    res->setFileOffset(77);
    res->setFileSize(1000);
    res->setFileEncoding(2);
    res->setFileStream(1);
    res->setFileDate(3000000000u);
    auto* mem = static_cast<CmemoryChunkVar*>(child(top, "mem", CLASS_MEMORY_CHUNK));
    std::memcpy(mem->allocMem(5), "\x01\x00\x02\x00\x03", 5);
    child(top, "merged", CLASS_INT)->setFlag(VAR_BINARY_MERGE, true);
    child(child(top, "d", CLASS_DIRECTORY), "x", CLASS_SHORT);
    child(holder, "second", CLASS_DIRECTORY);
    return top;
}
