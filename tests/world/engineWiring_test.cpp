#include "program/programWiring.h"

#include <gtest/gtest.h>

#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "variables/safeRelationship.h"
#include "variables/variableBasics.h"

namespace {

// The start-up wiring alone makes a dying relationship run its "delete" script.
TEST(EngineWiring, ARelationshipsDeleteScriptRunsInItsContext) {
    wireProgram();
    CdirectoryVar root;
    root.setName("root");
    Cvariable* log = root.addDirectory("log");
    auto* thing = new CsafeRelationship;
    thing->setName("thing");
    root.addVariable(thing);
    thing->addVariableX("size", CLASS_FLOAT);
    auto* script = new CscriptVar;
    script->setName("delete");
    ASSERT_EQ(script->processStringScript(":cd /log { :float ran 1 } :float size 7"), 0);
    thing->addVariable(script);

    deleteVariable(thing);
    Cvariable* ran = log->getChild("ran", 0);
    ASSERT_NE(ran, nullptr);
    EXPECT_FLOAT_EQ(ran->getFloat(), 1.0f);
    EXPECT_EQ(root.getChild("thing", 0), nullptr);
    EXPECT_TRUE(exitReasonList.empty());
    resetExitState();
}

} // namespace
