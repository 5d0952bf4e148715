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

    std::unique_ptr<CregistryHolderVar> root;
};

} // namespace
