// One-line descriptions of a data array, so a test can check a whole shape or range at once.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "data/dataArray.h"

// "dims resX x resY x resZ, channels letters, bytes per value, element count".
inline std::string shape(CdataArray const& a) {
    std::ostringstream s;
    s << a.dims << "d " << a.res[0] << "x" << a.res[1] << "x" << a.res[2] << " " << a.chans
      << a.chanFormat.c_str() << " t" << a.dataType << " n" << a.numElements;
    return s.str();
}

// Axis d's world range and index multipliers: "min..max *mult fixed min/mult".
inline std::string space(CdataArray const& a, int d) {
    std::ostringstream s;
    s << a.spaceMin[d] << ".." << a.spaceMax[d] << " *" << a.toIndexMult[d] << " fixed " << a.spaceMinFixed[d]
      << "/" << a.toIndexMultFixed[d];
    return s.str();
}

inline std::vector<float> floats(CdataArray const& a) {
    return a.floatData ? std::vector<float>(a.floatData, a.floatData + a.numElements) : std::vector<float>();
}
inline std::vector<int> bytes(CdataArray const& a) {
    return a.byteData ? std::vector<int>(a.byteData, a.byteData + a.numElements) : std::vector<int>();
}

// Every value of got within tol of want, with the index of any that is not.
inline void expectFloats(std::vector<float> const& got, std::vector<float> const& want, float tol = 1e-6f) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++)
        EXPECT_NEAR(got[i], want[i], tol) << "value " << i;
}
