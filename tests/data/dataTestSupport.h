// Shared helpers of the data-array tests.
#pragma once

#include <gtest/gtest.h>

#include "data/dataArray.h"
#include "support/cerr.h"
#include "testSupport.h"

// Every test starts and ends with no exit recorded; the trace file that a recorded exit
// opens goes to a temporary data folder.
class DataArrayTest : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override {
        closeStdout();
        allowErrorChannels = 0;
        errorChannels = 0;
        resetExitState();
    }
    ScopedDataFolder data;

    // The first exit reason recorded since the test began, or "" when none.
    static std::string exitReason() { return exitReasonList.empty() ? "" : exitReasonList[0].c_str(); }
};

// Fills a float array with f(index of the value).
template <typename F> void fillFloats(CdataArray& a, F f) {
    for (int i = 0; i < a.numElements; i++)
        a.floatData[i] = f(i);
}
