// Settings text written by the tree writer reads back, run as a script, into the same tree.
#include "scriptTestSupport.h"

namespace {

// Whole value bytes: string values may hold NULs.
std::string valueOf(Cvariable* v) {
    if (v->getClass() == CLASS_STRING) {
        Cstring const& s = static_cast<CstringVar*>(v)->value;
        return std::string(s.c_str(), s.size());
    }
    if (v->hasFlag(VAR_HAS_NUMBER)) return v->getElem_char(0);
    return "";
}

// Same names, kinds, values and child order, all the way down.
void expectSameTree(Cvariable* expected, Cvariable* actual, std::string const& path) {
    ASSERT_NE(actual, nullptr) << path;
    EXPECT_TRUE(expected->name == actual->name) << path << ": " << actual->name;
    EXPECT_EQ(expected->getClass(), actual->getClass()) << path;
    EXPECT_EQ(valueOf(expected), valueOf(actual)) << path;
    EXPECT_EQ(expected->countChildren(-1), actual->countChildren(-1)) << path;
    Cvariable* a = actual->firstChild;
    for (Cvariable* e = expected->firstChild; e && a; e = e->nextSibling, a = a->nextSibling)
        expectSameTree(e, a, path + "/" + e->name.c_str());
}

void saveAll(Cvariable* v) {
    v->setSave(1);
    for (Cvariable* c = v->firstChild; c; c = c->nextSibling)
        if (!c->hasFlag(VAR_REGISTERED))
            saveAll(c);
        else
            c->setSave(1);
}

template <class T> T* add(Cvariable* parent, char const* name) {
    T* v = new T();
    v->setName(name);
    parent->addVariable(v, 1);
    return v;
}

class SettingsRoundTrip : public ScriptStateTest {
  protected:
    ScopedDataFolder dataFolder;
};

TEST_F(SettingsRoundTrip, WrittenTreeRunsBackIntoAnEmptyTree) {
    CdirectoryVar original;
    original.setName("settings");
    add<CfloatVar>(&original, "speed")->value = 1.5f;
    add<CintVar>(&original, "count")->value = -12;
    add<CshortVar>(&original, "level")->value = 7;
    add<CstringVar>(&original, "plain")->value = "word";
    add<CstringVar>(&original, "spaced")->value = "two words here";
    add<CstringVar>(&original, "quoted")->value = "say \"hi\" to { all } $x";
    add<CstringVar>(&original, "empty")->value = "";
    add<CstringVar>(&original, "numberish")->value = "-12.5";
    add<CstringVar>(&original, "comment")->value = "// not a comment";
    Cstring withNul;
    withNul.assign("a\0b", 3);
    add<CstringVar>(&original, "nul")->value = withNul;
    add<Cvariable>(&original, "marker");
    CarrayVar* pos = add<CarrayVar>(&original, "pos");
    pos->addInt(3);
    pos->addFloat(0.5f);
    pos->addString("x y");
    pos->addString("x");
    CdirectoryVar* inner = add<CdirectoryVar>(&original, "inner");
    add<CfloatVar>(inner, "depth")->value = -0.25f;
    CdirectoryVar* deeper = add<CdirectoryVar>(inner, "deeper");
    add<CstringVar>(deeper, "name")->value = "bottom";
    add<CintVar>(inner, "after")->value = 40;
    saveAll(&original);
    // An unsaved node is left out of the text and so out of the tree read back.
    CintVar* skipped = add<CintVar>(&original, "skipped");
    skipped->value = 9;

    std::string path = dataFolder.file("settings.txt");
    ASSERT_EQ(original.saveSettings(path.c_str(), false, false), 0);

    CdirectoryVar loaded;
    EXPECT_EQ(runDiskScript(&loaded, path.c_str()), 0) << readWholeFile(path);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back() << "\n" << readWholeFile(path);
    ASSERT_EQ(loaded.countChildren(-1), 1);
    delete skipped;
    expectSameTree(&original, loaded.firstChild, "settings");
}

} // namespace
