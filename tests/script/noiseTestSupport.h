// The shared noise channel with a curve the test chooses.
#pragma once

#include "data/dataArray.h"
#include "script/fastNoise.h"

// The shared noise channel replaced, for the owner's life, by 500 samples over [0, 50)
// whose first channel is f(sample index); the other two are 0.
class KnownNoise {
  public:
    template <typename F> explicit KnownNoise(F f) {
        chan.init(kSamples, 1, 1, 3, 4);
        chan.setDimensionSpace(0, 0.0f, 50.0f * (kSamples - 1) / kSamples);
        for (int i = 0; i < kSamples; i++)
            chan.floatData[i * 3] = f(i);
        saved = noiseWrap50x3chan;
        noiseWrap50x3chan = &chan;
    }
    ~KnownNoise() { noiseWrap50x3chan = saved; }
    KnownNoise(KnownNoise const&) = delete;
    KnownNoise& operator=(KnownNoise const&) = delete;

    static constexpr int kSamples = 500;
    CdataChan chan;

  private:
    CdataArray* saved;
};
