// Counted references: binding, sharing, release and the owner's field.
#include <sstream>
#include <string>

#include "requestTestSupport.h"

namespace {

// A reference of another kind (the graphics makes textures so).
struct Texture : CdataArrayReference {
    int getType() override { return TYPE_TEXTURE_IMAGE; }
};

class ReferenceTest : public DataArrayTest {
  protected:
    // A reference clears its owner's field when it goes: the field outlives the owner's
    // children (members go in the reverse order).
    CdataArray* field = nullptr;
    CdirectoryVar owner;
};

TEST_F(ReferenceTest, ParentThatRefusesChildrenGetsNone) {
    CdirectoryVar arrayHolder;
    arrayHolder.flags |= CHILDREN_ARE_ARRAY;
    int before = allocedVariables;
    EXPECT_EQ(registerDataArrayPointer(&arrayHolder, &field, "x"), nullptr);
    EXPECT_EQ(allocedVariables, before);
    EXPECT_EQ(registerDataArrayAndLoad(&arrayHolder, &field, "x", "a.chan", "b/c.txt"), 0);
    EXPECT_EQ(allocedVariables, before);
    EXPECT_EQ(arrayHolder.firstChild, nullptr);
}

TEST_F(ReferenceTest, FindDataArrayOrExit) {
    CdataArrayReference* ref = registerDataArrayPointer(&owner, nullptr, "good");
    ref->allocateDataArray();
    owner.addVariableX("plain", CLASS_FLOAT);
    auto* texture = new Texture;
    texture->setName("tex");
    owner.addVariable(texture);

    EXPECT_EQ(findDataArrayOrExit(&owner, "good"), ref->array);
    EXPECT_EQ(exitReason(), "");

    struct Case {
        char const* path;
        char const* reason;
    };
    for (Case c : {Case{"plain", "bad daf"}, Case{"tex", "bad daf"}, Case{"gone", "dar not found"}}) {
        resetExitState();
        EXPECT_EQ(findDataArrayOrExit(&owner, c.path), nullptr) << c.path;
        EXPECT_NE(std::string(exitMsg.c_str()).find(c.reason), std::string::npos) << c.path;
    }
}

TEST_F(ReferenceTest, SavedLineCarriesPathAndCount) {
    CdataArrayReference* ref = registerDataArrayPointer(&owner, &field, "tex");
    ref->path = "fish.sgi";
    std::ostringstream out;
    ref->writeSaveString(out);
    out << "\n";
    ref->allocateDataArray();
    ref->writeSaveString(out);
    out << "\n";
    ref->writeConfigString(out);
    std::string text = out.str();
    EXPECT_EQ(text.find(":addDataArray tex path=fish.sgi pointer="), 0u) << text;
    size_t second = text.find('\n');
    EXPECT_EQ(text.substr(second - 6, 6), " refs=");
    EXPECT_NE(text.find(" refs=1\n"), std::string::npos);
    EXPECT_NE(text.find(":dataImage tex"), std::string::npos);
}

} // namespace
