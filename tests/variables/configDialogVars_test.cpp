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

} // namespace
