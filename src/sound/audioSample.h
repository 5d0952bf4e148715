// PCM samples: a recorded sound loaded from a ".chan" file, or a track the sound manager
// synthesises, and the bubble grains cut out of a recording.
//
// A sample is a one-dimensional data array: its resolution is the frame count, its
// channel count the interleaved channels and its element size the bytes per value (1 =
// unsigned 8-bit with 127 as silence, 2 = signed 16-bit); the "mem" child holds the values.
// The rate is the registered int "Hz". A ".chan" sound file is the binary tree form of such
// a sample. All mixing arithmetic works on 16-bit values.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

#include "data/dataArray.h"
#include "variables/variableLinks.h"

class CaudioSample : public CdataChan {
  public:
    // Empty; registers "Hz" so that a file's rate lands in sampleRate.
    CaudioSample();

    // After a file was read in: binds the values when the shape is one we can play
    // (1 or 2 channels of 8- or 16-bit values, a rate, a block as large as the shape);
    // anything else leaves the sample empty and marks the load as failed.
    int postLoadInitialization() override;

    // Drops the old values and makes samples x channels zeroed values; 0, or 1 (empty)
    // for a shape that cannot be held.
    int init(int samples, int channels, int bytesPerSample, int rate);
    // No values; frame count, channels and rate 0.
    void freeSample();
    // Loads "<name without suffix>.chan"; 0 loaded, 1 missing or unreadable (then empty).
    int loadSample(char const* name);
    // The same from a stream holding a whole file.
    int loadSample(std::istream& in);

    // 8-bit values x become x * 255 - 32385 (127 -> 0); 16-bit or empty samples stay.
    void convertTo16bit();
    // Mixes srcLength frames from srcStart, read every `step` frames with linear
    // interpolation, times gain (and a linear fade towards the end scaled by fade), into
    // one channel of dest from destFrame on, clamped to 16 bits; the writes wrap from the
    // end of dest to its start. 0 done, 1 refused (no data, not 16-bit, step not positive).
    int copyTo(CaudioSample& dest, int destFrame, int channel, int srcStart, int srcLength, float gain,
               float step, float fade);
    // Adds this whole sample times gain into dest from destFrame on, without clamping
    // (16-bit wrap-around). 0 done, 1 refused.
    int copyStraightTo(CaudioSample& dest, int destFrame, float gain);
    // Equal-power fade of the first (end 0) or last (end 1) `seconds` of the values.
    // 0 done, 1 refused (not 16-bit).
    int fadeEnd(int end, float seconds);
    // Cuts a 16-bit recording into grains at its silent gaps: starts[k] and lengths[k] in
    // frames; starts holds one entry more than lengths.
    void breakup(std::vector<int>& starts, std::vector<int>& lengths) const;
    // 16-bit: every value times f, truncated.
    void multVolume(float f);
    // Hands the block to the caller (delete[] as unsigned char); the sample keeps its shape.
    unsigned char* stealData();
    // Test signal: the first frame-count values of a 16-bit sample become 0, 256, 512, ...
    void fill(float);
    void showSummary();
    // One mark per value of the first frame-count values ("*" at 20001 or more) and
    // "pops=" with the count of marks, to the trace; returns that count.
    int showWave();

    int frames() const { return res[0]; }
    int channels() const { return chans; }
    int bytesPerSample() const { return dataType; }
    bool hasData() const { return mem && mem->data && numElements > 0; }
    // Bytes of the value block (0 when empty).
    int dataBytes() const { return hasData() ? numElements * dataType : 0; }
    unsigned char const* dataBlock() const { return hasData() ? mem->data : nullptr; }
    int16_t* values16() {
        return dataType == 2 && hasData() ? reinterpret_cast<int16_t*>(mem->data) : nullptr;
    }
    int16_t const* values16() const {
        return dataType == 2 && hasData() ? reinterpret_cast<int16_t const*>(mem->data) : nullptr;
    }

    int sampleRate = 0; // "Hz"

  private:
    bool loadFailed = false;
    // Deletes children a file brought in that are no part of a sample.
    void dropForeignChildren();
};

// A recording cut into grains: the bubble source of the bubble tracks.
class CbubbleBreakup : public CaudioSample {
  public:
    std::vector<int> grainStarts;
    std::vector<int> grainLengths;
};
