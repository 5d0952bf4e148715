// The noise curve the build generates: three smooth channels over 0..50 whose ends meet.
#include <cmath>
#include <string>

#include "dataTestSupport.h"

namespace {

class NoiseFileTest : public DataArrayTest {
  protected:
    void SetUp() override {
        DataArrayTest::SetUp();
        ASSERT_EQ(noise.load(file.c_str()), 0) << file;
    }
    std::string file = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "global/arrays/noise50.chan";
    CdataChan noise;
};

} // namespace
