// Scripts that once crashed the interpreter fail cleanly.
#include "scriptTestSupport.h"
#include "script/variableSearch.h"

namespace {

class FuzzFindings : public CommandTest {};

TEST_F(FuzzFindings, AScriptThatRunsItselfStopsWithAnError) {
    std::string text = readWholeFile(testInput("robustness/script-1.bin"));
    EXPECT_EQ(run(text.c_str()), CMD_STOP);
    EXPECT_TRUE(hasReason("scripts nested too deeply")) << lastReason();
    EXPECT_EQ(scriptRunDepth, 0);
}

TEST_F(FuzzFindings, ADeletedNodeLeavesTheSearchPaths) {
    // The last line searches the paths after the node was freed (the sanitizers watch).
    std::string text = readWholeFile(testInput("robustness/script-2.bin"));
    run(text.c_str());
    EXPECT_EQ(root.findVariable("d"), nullptr);
    EXPECT_TRUE(alternateVariableSearchPaths.empty());
    clearTemporaryScriptSearchPaths();
}

} // namespace
