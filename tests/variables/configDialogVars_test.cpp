// The settings registry: keys, defaults, order and the registry file.
#include <memory>

#include "persistTestSupport.h"
#include "variables/configDialogVars.h"

namespace {

class Registry : public PersistTest {
  protected:
    void SetUp() override {
        PersistTest::SetUp();
        root = std::make_unique<CregistryHolderVar>();
        root->setName("globals");
        root->setDelete(0);
        globalVariablesDir = root.get();
        ASSERT_EQ(createRegistryAndRegisterVars(nullptr), root.get());
    }
    void TearDown() override {
        globalVariablesDir = nullptr;
        registries = nullptr;
        root.reset();
        EXPECT_EQ(liveSinceStart(), 0);
        PersistTest::TearDown();
    }
    // What storing the registry does: the root's children with their siblings, saved only.
    std::string store() {
        root->setSave(1);
        EXPECT_EQ(root->firstChild->saveSettings(path("registry.txt").c_str(), true, false), 0);
        root->setSave(0);
        return readWholeFile(path("registry.txt"));
    }

    std::unique_ptr<CregistryHolderVar> root;
};

TEST_F(Registry, DefaultsAfterRegistration) {
    struct Case {
        char const* key;
        double value;
    } cases[] = {
        {"maxFishPerTank", 70}, {"updateDays", 90}, {"fsSz", 1},    {"languageNum", -1},
        {"oglmd", 1},           {"extraHttp", 1},   {"uflags", 64}, {"nextRunPhHm", 3},
        {"phoneHmMode", 1},     {"xwell", 1},       {"runs", 0},    {"nstch", 0},
        {"batterySaver", 0},
    };
    for (auto const& c : cases) {
        Cvariable* v = root->findVariable(c.key);
        ASSERT_NE(v, nullptr) << c.key;
        EXPECT_EQ(v->getFloat(), c.value) << c.key;
    }
    EXPECT_EQ(root->findVariable("whatsNewVersion")->getFloat(), static_cast<double>(1.296f));
    EXPECT_EQ(root->findVariable("languageNum")->getClass(), CLASS_SHORT_LINK);
    EXPECT_EQ(root->findVariable("contact")->getClass(), CLASS_STRING_LINK);
    EXPECT_EQ(root->getType(), TYPE_REGISTRY_HOLDER);
    EXPECT_EQ(registries, root.get());
    EXPECT_EQ(root->countChildren(-1), 28);
}

TEST_F(Registry, KeysReachTheGlobals) {
    root->findVariable("maxFishPerTank")->setInt(20);
    EXPECT_EQ(maxFishPerTank, 20);
    root->findVariable("contact")->setString("me@example.org");
    EXPECT_EQ(contactEmail, "me@example.org");
    m_userFlags = 0x1040;
    EXPECT_EQ(root->findVariable("uflags")->getInt(), 0x1040);

    maxFishPerTank = 5;
    m_fishGlobalScalar = 2.0f;
    languageNum = 3;
    EXPECT_EQ(setRegistrySettingsToDefaults(), 1);
    EXPECT_EQ(maxFishPerTank, 70);
    EXPECT_EQ(m_fishGlobalScalar, 1.0f);
    EXPECT_EQ(languageNum, -1);
    EXPECT_EQ(m_userFlags, 0x1040u); // not one of the reset options
    m_userFlags = 64;
    contactEmail = "";
}

TEST_F(Registry, FileListsSavedKeysNewestFirst) {
    std::string expect = ":set nstch 0\n"
                         ":set allSS 0\n"
                         ":set xwell 1\n"
                         ":set fsSz 1\n"
                         ":set midbit 0\n"
                         ":set extraHttp 1\n"
                         ":set nextRunPhHm 3\n"
                         ":set phoneHmMode 1\n"
                         ":set uflags 64\n"
                         ":set newestVersn 1.296\n"
                         ":set runPriority 0\n"
                         ":set oglmd 1\n"
                         ":set actvTms \"\"\n"
                         ":set lifeMins 0\n"
                         ":set maxFishPerTank 70\n"
                         ":set languageCode \"\"\n"
                         ":set languageNum -1\n"
                         ":set whatsNewVersion 1.296\n"
                         ":set runsTV 0\n"
                         ":set updateDays 90\n"
                         ":set lastUpdate 0\n"
                         ":set contact \"\"\n"
                         ":set version 0\n"
                         ":set runs 0\n"
                         ":set batterySaver 0\n";
    EXPECT_EQ(store(), expect);
    for (char const* unsaved : {"special", "modules", "updateDate"})
        EXPECT_EQ(expect.find(unsaved), std::string::npos);

    // Other saved children of the root are written too; texts are quoted.
    languageCode = "fr";
    Cvariable* extra = makeVariable("extra", CLASS_INT);
    extra->setSave(1);
    root->addVariable(extra, 0);
    std::string text = store();
    EXPECT_EQ(text.rfind(":int extra 0\n:set nstch 0\n", 0), 0u);
    EXPECT_NE(text.find(":set languageCode \"fr\"\n"), std::string::npos);
    languageCode = "";
}

} // namespace
