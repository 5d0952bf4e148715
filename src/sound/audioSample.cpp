// CaudioSample: loading, 8-to-16-bit conversion, mixing, fades and the grain cutter.
#include "sound/audioSample.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "support/resourceCopy.h"
#include "variables/variableLinks.h"

namespace {

// Rates a sound can have; a file outside this range is not a sound we can play.
constexpr int kMaxRate = 192000;

} // namespace

CaudioSample::CaudioSample() {
    Cvariable* hz = registerInt(sampleRate, "Hz", 1);
    hz->flags |= VAR_BINARY_MERGE | VAR_LINK;
}

int CaudioSample::postLoadInitialization() {
    mem = nullptr; // the tree was just read in: look the child up again
    createMemVar();
    for (int d = 1; d < 3; d++)
        if (res[d] < 1) res[d] = 1;
    byteData = nullptr;
    floatData = nullptr;
    bool shaped = (dataType == 1 || dataType == 2) && (chans == 1 || chans == 2) && res[0] >= 1 &&
                  res[1] == 1 && res[2] == 1 && sampleRate > 0 && sampleRate <= kMaxRate;
    int64_t bytes = shaped ? int64_t(res[0]) * chans * dataType : -1;
    if (!shaped || bytes > INT_MAX || mem->data == nullptr || bytes > int64_t(mem->size)) {
        VTRACE(1, "sample " << name << ": not a sound we can play (" << chans << " channels, " << dataType
                            << " bytes, " << res[0] << " frames, " << sampleRate << " Hz)");
        loadFailed = true;
        numElements = 0;
        return 0;
    }
    dims = 1;
    numElements = res[0] * chans;
    if (dataType == 1) byteData = mem->data;
    setChanFormatString();
    setDimensionSpaces();
    return 0;
}

int CaudioSample::init(int samples, int channelCount, int bytes, int rate) {
    freeSample();
    int64_t size = int64_t(samples) * channelCount * bytes;
    if (samples < 1 || channelCount < 1 || channelCount > 2 || (bytes != 1 && bytes != 2) || size > INT_MAX)
        return 1;
    createMemVar();
    dims = 1;
    chans = static_cast<short>(channelCount);
    dataType = static_cast<short>(bytes);
    res[0] = samples;
    sampleRate = rate;
    void* block = mem->allocMem(static_cast<unsigned>(size));
    // Silence: 0 for 16-bit values, 127 for 8-bit ones.
    std::memset(block, bytes == 1 ? 127 : 0, static_cast<size_t>(size));
    numElements = samples * channelCount;
    if (bytes == 1) byteData = mem->data;
    setChanFormatString();
    setDimensionSpaces();
    return 0;
}

void CaudioSample::freeSample() {
    clearDataArray();
    byteData = nullptr;
    floatData = nullptr;
    sampleRate = 0;
}

int CaudioSample::loadSample(char const* sampleName) {
    freeSample();
    Cstring path(sampleName ? sampleName : "");
    noSuffix(path);
    path = addFilePrefix((path + ".chan").c_str());
    int result = 1;
    // A sample of the resource copy that cannot be read is copied again and read once more.
    loadRenewingCopy([&] {
        std::ifstream in;
        if (!file_open(in, path.c_str(), 0)) {
            VTRACE(2, "couldn't open sample " << path);
            result = 1;
            return false;
        }
        result = loadSample(in);
        file_close(in);
        return result == 0;
    });
    return result;
}

int CaudioSample::loadSample(std::istream& in) {
    freeSample();
    loadFailed = false;
    int failed = loadBinaryChildren(in);
    dropForeignChildren();
    if (failed || loadFailed || !hasData()) {
        freeSample();
        return 1;
    }
    return 0;
}

void CaudioSample::dropForeignChildren() {
    Cvariable* c = firstChild;
    while (c) {
        Cvariable* next = c->nextSibling;
        if (c != mem && !(c->flags & VAR_LINK)) delete c; // unhooks itself
        c = next;
    }
}

void CaudioSample::convertTo16bit() {
    if (dataType != 1 || !hasData()) return;
    int n = numElements;
    auto* to = new unsigned char[size_t(n) * 2];
    auto* out = reinterpret_cast<int16_t*>(to);
    for (int k = 0; k < n; k++)
        out[k] = static_cast<int16_t>(int(mem->data[k]) * 255 - 32385);
    mem->setPointerAndSize(to, unsigned(n) * 2);
    dataType = 2;
    byteData = nullptr;
}

int CaudioSample::copyTo(CaudioSample& dest, int destFrame, int channel, int srcStart, int srcLength,
                         float gain, float step, float fade) {
    int16_t const* src = values16();
    int16_t* out = dest.values16();
    if (!hasData()) {
        VTRACE(1, name << " not alloced");
        return 1;
    }
    // A step that does not advance would never end; a grain outside the sample has nothing.
    if (!src || !out || !(step > 0.0f) || !std::isfinite(step) || channel < 0 || channel >= dest.chans ||
        srcStart < 0 || srcStart >= frames() || srcLength < 1)
        return 1;
    int c = chans;
    srcLength = std::min(srcLength, frames() - srcStart);
    int total = dest.numElements, destChans = dest.chans;
    int w = (((destFrame % dest.frames()) + dest.frames()) % dest.frames()) * destChans + channel;
    int last = numElements - 1;
    int channelOffset = (channel == 1 && c == 2) ? 1 : 0;
    for (double t = 0.0; t < srcLength; t += step) {
        double whole = std::floor(t);
        int i = (srcStart + int(whole)) * c + channelOffset;
        // The next frame's value of the same channel; the last frame has none.
        int next = i + c <= last ? i + c : i;
        double s = src[i] + (src[next] - src[i]) * (t - whole);
        double v = ((1.0 - t * fade / srcLength) * gain * s + out[w]) / 32768.0;
        v = std::clamp(v, -1.0, 1.0);
        out[w] = static_cast<int16_t>(v * 32767.0);
        w += destChans;
        if (w >= total) w -= total;
    }
    return 0;
}

int CaudioSample::copyStraightTo(CaudioSample& dest, int destFrame, float gain) {
    int16_t const* src = values16();
    int16_t* out = dest.values16();
    if (!src || !out || destFrame < 0 || destFrame >= dest.frames()) return 1;
    int n = std::min(frames(), dest.frames() - destFrame);
    if (chans == 2 && dest.chans == 2) n *= 2;
    int base = destFrame * dest.chans;
    for (int k = 0; k < n; k++)
        out[base + k] = static_cast<int16_t>(out[base + k] + int(src[k] * gain));
    return 0;
}

int CaudioSample::fadeEnd(int end, float seconds) {
    int16_t* v = values16();
    if (!v) {
        VTRACE(1, name << ": only 16-bit samples fade");
        return 1;
    }
    int64_t wanted = int64_t(double(chans) * seconds * sampleRate);
    int n = int(std::clamp<int64_t>(wanted, 0, numElements));
    if (n == 0) return 0;
    // The ramp covers the faded values once, whatever the length.
    double r = end == 0 ? 0.0 : 1.0, dr = (end == 0 ? 1.0 : -1.0) / n;
    int from = end == 0 ? 0 : numElements - n;
    for (int k = 0; k < n; k++, r += dr)
        v[from + k] = static_cast<int16_t>(v[from + k] * std::sqrt(std::max(r, 0.0)));
    return 0;
}

void CaudioSample::breakup(std::vector<int>& starts, std::vector<int>& lengths) const {
    int16_t const* v = values16();
    if (!v || frames() < 1) return;
    double energy = 0.0;
    int quiet = 0, zeros = 0, boundaries = 0, previousStart = 0;
    int n = frames(), c = chans;
    for (int i = 0; i < n; i++) {
        int x = v[size_t(i) * c];
        energy += std::abs(x) / 32768.0;
        if (i == n - 1) { // the last frame always closes a grain
            x = 1000;
            quiet = 6;
        }
        if (x == 0) {
            zeros++;
            quiet++;
        } else if (std::abs(x) <= 2) {
            quiet++;
        } else {
            if (quiet >= 6) {
                int start = i - quiet + zeros;
                int length = i - 1 - previousStart - quiet;
                if (boundaries >= 1 && energy / sampleRate * 1000.0 > 2.0) {
                    starts.push_back(start);
                    if (starts.size() >= 2) lengths.push_back(length);
                    previousStart = start;
                }
                boundaries++;
                energy = 0.0;
            }
            quiet = 0;
            zeros = 0;
        }
    }
}

void CaudioSample::multVolume(float f) {
    int16_t* v = values16();
    if (!v) return;
    for (int k = 0; k < numElements; k++)
        v[k] = static_cast<int16_t>(int(v[k] * f));
}

unsigned char* CaudioSample::stealData() {
    unsigned char* block = mem ? mem->data : nullptr;
    if (mem) mem->memHasBeenStolen();
    numElements = 0;
    byteData = nullptr;
    return block;
}

void CaudioSample::fill(float) {
    int16_t* v = values16();
    if (!v) return;
    for (int k = 0; k < frames() && k < numElements; k++)
        v[k] = static_cast<int16_t>(k * 256);
}

void CaudioSample::showSummary() {
    VTRACE(1, "sample name=" << name << " samples=" << frames() << " channels=" << chans
                             << " sampleRate=" << sampleRate);
}

int CaudioSample::showWave() {
    int16_t const* v = values16();
    int pops = 0;
    Cstring marks;
    for (int k = 0; v && k < frames() && k < numElements; k++) {
        bool pop = std::abs(int(v[k])) >= 20001;
        pops += pop;
        marks += pop ? '*' : '.';
    }
    VTRACE(1, "audioSpikes:" << marks);
    VTRACE(1, "pops=" << pops);
    return pops;
}
