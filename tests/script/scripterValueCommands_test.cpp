// Declaring, setting and saving variables and making directories from scripts.
#include "scriptTestSupport.h"

namespace {

using ValueCommands = CommandTest;

TEST_F(ValueCommands, ArraysTakeElementsByTokenKind) {
    root.addVariableX("x", CLASS_STRING, 0)->setElem_char(0, "ex");
    ASSERT_EQ(run(":array list 1 #2 abc $x \"two words\""), 0);
    Cvariable* list = root.getChild("list", 0);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->countChildren(-1), 5);
    int classes[] = {CLASS_FLOAT, CLASS_INT, CLASS_STRING, CLASS_STRING, CLASS_STRING};
    char const* values[] = {"1", "2", "abc", "ex", "two words"};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(list->getChild(i)->getClass(), classes[i]) << i;
        EXPECT_STREQ(list->getChild(i)->getElem_char(0), values[i]) << i;
    }
    ASSERT_EQ(run(":array float pos 1 2 3"), 0);
    Cvariable* pos = root.getChild("pos", 0);
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->getClass(), CLASS_FLOAT_LINK);
    ASSERT_EQ(pos->elements(), 3);
    EXPECT_EQ(pos->getElem_float(2), 3.0);
}

TEST_F(ValueCommands, SetChecksElementsAndReadOnly) {
    auto* pos = static_cast<CfloatLinkVar*>(root.addVariableX("pos", CLASS_FLOAT_LINK, 0));
    pos->allocElements(3, 4);
    pos->zeroAllocedMem();
    ASSERT_EQ(run(":set pos 1 2 3"), 0);
    EXPECT_EQ(pos->getElem_float(0), 1.0);
    EXPECT_EQ(pos->getElem_float(2), 3.0);
    ASSERT_EQ(run(":set array pos 4 5"), 0);
    EXPECT_EQ(pos->getElem_float(1), 5.0);
    EXPECT_EQ(run(":set missing 1"), 0); // silently passed over

    scriptName = "tank.txt";
    EXPECT_EQ(run(":set pos 1 2 3 4 :int after 1"), 2);
    EXPECT_EQ(lastReason(), "elements out of range in :set for pos in scrpt:tank.txt");
    EXPECT_EQ(root.getChild("after", 0), nullptr);

    reset();
    scriptName = "tank.txt";
    root.addVariableX("fixed", CLASS_INT, 0)->setFlag(VAR_READ_ONLY, true);
    EXPECT_EQ(run(":set fixed 3"), 2);
    EXPECT_EQ(lastReason(), "set read-only var fixed not found in tank.txt");
    EXPECT_EQ(scriptError, 1);
    EXPECT_EQ(recommendReinstall, 1);

    // Elements of a text variable keep their text: read back as numbers they would be lost.
    reset();
    Cstring names[2];
    auto* link = static_cast<ClinkVar*>(root.addVariableX("names", CLASS_STRING_LINK, 0));
    link->setPointer(names);
    link->setNumElements(2);
    ASSERT_EQ(run(":set names 1.5 kelp"), 0);
    EXPECT_STREQ(names[0].c_str(), "1.5");
    EXPECT_STREQ(names[1].c_str(), "kelp");
    ASSERT_EQ(run(":set names \"only one\""), 0);
    EXPECT_STREQ(names[0].c_str(), "only one");
    link->clearPointer();
}

TEST_F(ValueCommands, SaveSetsAndClearsFlags) {
    Cvariable* item = root.addVariableX("item", CLASS_INT, 0);
    ASSERT_EQ(run(":save item"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND),
              unsigned(VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND));
    ASSERT_EQ(run(":save item -1"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_COMMAND), 0u);
    item->flags = 0;
    ASSERT_EQ(run(":save item 0"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND), unsigned(VAR_SAVE));
    ASSERT_EQ(run(":save :nosave :save"), 0);
    EXPECT_TRUE(root.doSave());
}

TEST_F(ValueCommands, RefusedChildrenAreNotLeaked) {
    // A node whose children are an adopted block takes no new ones; the commands must
    // free what they made (the leak checker watches this test).
    Cvariable* block = root.addDirectory("block", 0);
    block->setFlag(CHILDREN_ARE_ARRAY, true);
    EXPECT_EQ(run(":array block 1 #2 x \"y z\""), 2);
    EXPECT_EQ(lastReason(), "NONONO CHILDREN_ARE_ARRAY!!");
    EXPECT_EQ(block->firstChild, nullptr);
    reset();
    EXPECT_EQ(runStringScript(block, ":var v1"), 2);
    EXPECT_EQ(block->firstChild, nullptr);
    block->setFlag(CHILDREN_ARE_ARRAY, false);
}

} // namespace
