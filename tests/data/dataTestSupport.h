// Shared helpers of the data-array tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "data/dataArray.h"
#include "data/imageIO.h"
#include "support/cerr.h"
#include "testSupport.h"

// Every test starts and ends with no exit recorded; the trace file that a recorded exit
// opens goes to a temporary data folder, where the test's own files go too.
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
    std::string path(char const* name) const { return data.file(name); }
};

// Fills a float array with f(index of the value).
template <typename F> void fillFloats(CdataArray& a, F f) {
    for (int i = 0; i < a.numElements; i++)
        a.floatData[i] = f(i);
}

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

// Little-endian writers for hand-made files.
inline void putLE(std::string& s, uint32_t v, int size = 4) {
    for (int i = 0; i < size; i++)
        s += static_cast<char>(v >> (8 * i));
}
inline void putFloat(std::string& s, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putLE(s, v);
}

using Image = std::unique_ptr<imageFile>;

// A whole image of the type whose samples, row 0 first, are values (missing ones 0).
template <typename T> Image makeImage(int w, int h, int ch, uint16_t type, std::vector<T> const& values) {
    auto im = std::make_unique<imageFile>(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                          static_cast<uint16_t>(ch), type, 0, 2);
    for (size_t i = 0; i < values.size(); i++) {
        unsigned char* row = im->scanLines[i / (size_t(w) * ch)];
        size_t k = i % (size_t(w) * ch);
        if (type == PIXEL_8BIT)
            row[k] = static_cast<unsigned char>(values[i]);
        else
            reinterpret_cast<float*>(row)[k] = static_cast<float>(values[i]);
    }
    return im;
}
inline Image bytes(int w, int h, int ch, std::vector<int> const& v = {}) {
    return makeImage(w, h, ch, PIXEL_8BIT, v);
}
inline Image floats(int w, int h, int ch, std::vector<float> const& v = {}) {
    return makeImage(w, h, ch, PIXEL_FLOAT, v);
}

// Every sample of the image, row 0 first, as T (bytes or floats).
template <typename T> std::vector<T> samples(imageFile const& im) {
    std::vector<T> out;
    for (int y = 0; y < im.height; y++)
        for (size_t k = 0; k < size_t(im.width) * im.channels; k++)
            out.push_back(std::is_same_v<T, int> ? T(im.scanLines[y][k])
                                                 : T(reinterpret_cast<float const*>(im.scanLines[y])[k]));
    return out;
}
