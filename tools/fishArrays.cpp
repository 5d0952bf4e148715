// The standard fish's motion arrays, from closed formulas; the flick paths come from the
// flick model run over the other arrays.
#include "fishArrays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "flickModel.h"
#include "support/matrix3.h"

namespace {
using namespace fishArrayShape;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double smoothstep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}
// A raised-cosine hump of height 1 over [a, b], 0 outside; its area is (b - a) / 2.
double hump(double x, double a, double b) {
    if (x <= a || x >= b) return 0.0;
    double s = std::sin(std::numbers::pi * (x - a) / (b - a));
    return s * s;
}
// Sample i of n over [lo, hi].
double at(int i, int n, double lo, double hi) {
    return lo + (hi - lo) * i / (n - 1);
}

// The undulation: sideways offset, in body lengths, of the body point at fraction x of the
// length (0 head, 1 tail) at the swim phase. The amplitude is small at the head, least
// just behind it and largest at the tail; the wave runs tailward one body length per
// cycle. Its lag puts the tail segment's bend towards the side axis at phase 0.5, as the
// fish expects when it starts a stroke from a body bent that way.
double undulation(double x, double phase) {
    double amplitude = 0.02 - 0.06 * x + 0.14 * x * x;
    double tail = (kSwimSegments - 2.5) / kSwimSegments; // the middle of segment 6 to 7
    double lag = std::numbers::pi - kTwoPi * (tail - 0.5);
    return amplitude * std::sin(kTwoPi * (x - phase) + lag);
}

// Mass share of the body at fraction x of its length: the body thins towards the tail.
double massAt(double x) {
    return 1.0 - 0.85 * x;
}

// Makes a float array of one dimension over [lo, hi].
void shapeChan(CdataChan& chan, char const* name, int samples, int chans, float lo, float hi) {
    chan.init(samples, 1, 1, chans, 4);
    chan.setDimensionSpace(0, lo, hi);
    chan.setName(name);
}

struct Output {
    char const* file;
    int (*write)(char const* path);
};

template <class Array, void (*make)(Array&)> int writeMade(char const* path) {
    Array a;
    make(a);
    return a.floatData ? a.save(path) : 1;
}
template <int which> void flickRamp(CdataChan& chan) {
    makeFlickRamp(chan, which);
}
void flickSpeedVariations(CdataChan& chan) {
    makeFlickSpeedVariations(chan, nullptr);
}
int writeSideShift(char const* path) {
    CdataImage cycle;
    CdataChan shift;
    makeSwimCycle(cycle);
    makeSwimSideShift(shift, cycle);
    return shift.floatData ? shift.save(path) : 1;
}
int writeFlickPaths(char const* path) {
    CdataVolume volume;
    shapeFlickPaths(volume);
    return volume.floatData ? volume.save(path) : 1;
}

// In writing order: the flick model needs every other array, and a path file of the right
// shape for the fish to load (its contents are not read in open water).
Output const outputs[] = {
    {"swimCycle.image", writeMade<CdataImage, makeSwimCycle>},
    {"swimAnimSideShift.chan", writeSideShift},
    {"flick_chans.0.chan", writeMade<CdataChan, flickRamp<0>>},
    {"flick_chans.1.chan", writeMade<CdataChan, flickRamp<1>>},
    {"flick_chans.2.chan", writeMade<CdataChan, flickRamp<2>>},
    {"flick_speed_var.chan", writeMade<CdataChan, flickSpeedVariations>},
    {"pitchChangeCurve.chan", writeMade<CdataChan, makePitchChangeCurve>},
    {"peckForwardMotion.chan", writeMade<CdataChan, makePeckForwardMotion>},
    {"peckSwimAmp.chan", writeMade<CdataChan, makePeckSwimAmp>},
    {"flickPredict.volume", writeFlickPaths},
};
} // namespace

void makeSwimCycle(CdataImage& image) {
    image.init(kSwimSegments, kSwimPhases, 1, 1, 4);
    image.setDimensionSpace(0, 0.0f, static_cast<float>(kSwimSegments - 1));
    image.setDimensionSpace(1, 0.0f, 1.0f);
    image.setName("swimCycle");
    if (!image.floatData) return;
    // Segment i runs from point i to point i + 1; turning its forward axis by a about the
    // up axis moves the next point sideways by -sin(a) segment lengths.
    double segment = 1.0 / kSwimSegments;
    for (int row = 0; row < kSwimPhases; row++) {
        double phase = at(row, kSwimPhases, 0.0, 1.0);
        for (int i = 0; i < kSwimSegments; i++) {
            double rise = undulation((i + 1) * segment, phase) - undulation(i * segment, phase);
            double a = std::asin(std::clamp(-rise / segment, -1.0, 1.0));
            image.floatData[row * kSwimSegments + i] = static_cast<float>(a);
        }
    }
}

void makeSwimSideShift(CdataChan& chan, CdataImage const& cycle) {
    shapeChan(chan, "swimAnimSideShift", kSwimPhases, 1, 0.0f, 1.0f);
    if (!chan.floatData || !cycle.floatData) return;
    // The displayed chain of a straight ten-point spine, laid out as the fish lays it:
    // point 3 is the anchor, the others follow the turned segments from it.
    constexpr int points = kSwimSegments + 1;
    for (int row = 0; row < kSwimPhases; row++) {
        float phase = static_cast<float>(at(row, kSwimPhases, 0.0, 1.0));
        Cmatrix3 frame[points];
        for (int j = 0; j < points; j++) {
            frame[j].identity();
            float a = 0.0f;
            if (j >= 1 && j + 1 < points) cycle.getValues(static_cast<float>(j - 1), phase, &a, 1u);
            frame[j].rotateAroundUp(a);
        }
        Cvector p[points];
        p[3].set(0, 0, 0);
        for (int j = 4; j < points; j++)
            p[j] = p[j - 1] - frame[j].forward;
        for (int j = 2; j >= 0; j--)
            p[j] = p[j + 1] + frame[j + 1].forward;
        double moment = 0.0, mass = 0.0;
        for (int j = 0; j < points; j++) {
            double m = massAt(static_cast<double>(j) / (points - 1));
            moment += m * p[j].x; // the side axis of the straight spine
            mass += m;
        }
        chan.floatData[row] = static_cast<float>(-moment / mass);
    }
}

void makeFlickRamp(CdataChan& chan, int which) {
    which = std::clamp(which, 0, 2);
    char name[32];
    std::snprintf(name, sizeof name, "flickRamp%d", which);
    shapeChan(chan, name, kFlickSamples, 3, 0.0f, kFlickProgressEnd);
    if (!chan.floatData) return;
    // Summed over a flick the head turn comes to 0.15 / rate of the flick: the whole
    // angle once the strength is applied. The tail first curls against the turn, loading
    // the stroke, then sweeps back; the body comes round by sliding along the head's new
    // path, so the return sweep is small (a larger one would pull the whole body back).
    // From rest the curl is deeper and the speed builds later.
    double const headEnd[] = {0.75, 0.7, 0.65};
    double const curl[] = {0.09, 0.075, 0.06}, follow[] = {0.05, 0.045, 0.04};
    double const blendFrom[] = {0.2, 0.15, 0.1}, blendTo[] = {0.9, 0.85, 0.8};
    double headHeight = 2.0 * 0.15 / headEnd[which];
    double curlHeight = 2.0 * curl[which] / 0.45, followHeight = 2.0 * follow[which] / 0.7;
    for (int i = 0; i < kFlickSamples; i++) {
        double p = at(i, kFlickSamples, 0.0, kFlickProgressEnd);
        float* s = chan.floatData + 3 * i;
        s[0] = static_cast<float>(headHeight * hump(p, 0.0, headEnd[which]));
        s[1] = static_cast<float>(curlHeight * hump(p, 0.0, 0.45) - followHeight * hump(p, 0.3, 1.0));
        s[2] = static_cast<float>(smoothstep((p - blendFrom[which]) / (blendTo[which] - blendFrom[which])));
    }
}

void makeFlickSpeedVariations(CdataChan& chan, float const* angleMultipliers) {
    shapeChan(chan, "flickSpeedVariations", kSpeedSamples, 4, 0.0f, kMaxSpeed);
    if (!chan.floatData) return;
    // Faster fish start the fin blend earlier, end sooner and beat their fins faster.
    for (int i = 0; i < kSpeedSamples; i++) {
        double u = at(i, kSpeedSamples, 0.0, 1.0);
        float* s = chan.floatData + 4 * i;
        s[0] = angleMultipliers ? angleMultipliers[i] : 1.0f;
        s[1] = static_cast<float>(0.3 - 0.15 * u);
        s[2] = static_cast<float>(1.15 - 0.15 * u);
        s[3] = static_cast<float>(1.2 + 1.2 * u);
    }
}

void makePitchChangeCurve(CdataChan& chan) {
    shapeChan(chan, "pitchChangeCurve", kFlickSamples, 1, 0.0f, kFlickProgressEnd);
    if (!chan.floatData) return;
    for (int i = 0; i < kFlickSamples; i++)
        chan.floatData[i] =
            static_cast<float>(smoothstep((at(i, kFlickSamples, 0.0, kFlickProgressEnd) - 0.05) / 0.9));
}

void makePeckForwardMotion(CdataChan& chan) {
    shapeChan(chan, "peckForwardMotion", kPeckSamples, 1, 0.0f, 1.0f);
    if (!chan.floatData) return;
    // Out onto the food by the bite (sixth frame), a short hold, then back.
    for (int i = 0; i < kPeckSamples; i++) {
        double t = at(i, kPeckSamples, 0.0, 1.0);
        double out = smoothstep((t - 0.05) / 0.45), back = smoothstep((t - 0.6) / 0.4);
        chan.floatData[i] = static_cast<float>(out * (1.0 - back));
    }
}

void makePeckSwimAmp(CdataChan& chan) {
    shapeChan(chan, "peckSwimAmp", kPeckSamples, 1, 0.0f, 1.0f);
    if (!chan.floatData) return;
    // A gentle beat while closing in, still by the time the fish stops.
    for (int i = 0; i < kPeckSamples; i++)
        chan.floatData[i] =
            static_cast<float>(0.4 * (1.0 - smoothstep((at(i, kPeckSamples, 0.0, 1.0) - 0.3) / 0.4)));
}

void shapeFlickPaths(CdataVolume& volume) {
    volume.init(kPathSteps, kPathAngles, kSpeedSamples, 2, 4);
    volume.setDimensionSpace(0, 0.0f, static_cast<float>(kPathSteps - 1));
    volume.setDimensionSpace(1, 0.0f, kMaxDegrees);
    volume.setDimensionSpace(2, kSpeedOffset, kMaxSpeed + kSpeedOffset);
    volume.setName("flickPredict");
}

bool calibrateFlickAngles(std::string const& root, float* multipliers) {
    std::fill(multipliers, multipliers + kSpeedSamples, 1.0f);
    std::string path = root + kFishArrayFolder + "flick_speed_var.chan";
    constexpr float kAngles[] = {0.5235988f, 1.047198f, 1.570796f}; // 30, 60 and 90 degrees
    constexpr int kSettled = 21;                                    // frames: past every flick
    // The turn grows about in step with the multiplier: a few corrections settle it.
    for (int round = 0; round < 4; round++) {
        CdataChan variations;
        makeFlickSpeedVariations(variations, multipliers);
        if (!variations.floatData || variations.save(path.c_str()) != 0) return false;
        CflickModel model(root); // a fresh model loads the file just written
        for (int i = 0; i < kSpeedSamples; i++) {
            // The tuning is read at the mean of the start and end speeds: the start sits a
            // quarter below the sample, the end (capped by the fish) a quarter above.
            float start =
                std::max(static_cast<float>(at(i, kSpeedSamples, 0.0, kMaxSpeed)) - kSpeedOffset, 0.0f);
            double turned = 0.0, asked = 0.0;
            for (float angle : kAngles) {
                FlickStep path[kSettled];
                if (!model.run(angle, start, kSettled, path)) return false;
                turned += path[kSettled - 1].heading;
                asked += angle;
            }
            if (!(turned > 0.0)) return false;
            multipliers[i] = static_cast<float>(std::clamp(multipliers[i] * asked / turned, 0.5, 2.0));
        }
    }
    return true;
}

std::vector<std::string> const& fishArrayFiles() {
    static std::vector<std::string> const files = [] {
        std::vector<std::string> f;
        for (Output const& o : outputs)
            f.push_back(std::string(kFishArrayFolder) + o.file);
        return f;
    }();
    return files;
}

int writeFishArrays(std::string const& root) {
    std::error_code ec;
    std::filesystem::create_directories(root + kFishArrayFolder, ec);
    for (Output const& o : outputs) {
        std::string path = root + kFishArrayFolder + o.file;
        if (o.write(path.c_str()) != 0) {
            std::fprintf(stderr, "fish arrays: could not write %s\n", path.c_str());
            return 1;
        }
    }
    float multipliers[kSpeedSamples];
    std::string tuning = root + kFishArrayFolder + "flick_speed_var.chan";
    CdataChan variations;
    if (!calibrateFlickAngles(root, multipliers) ||
        (makeFlickSpeedVariations(variations, multipliers), variations.save(tuning.c_str())) != 0) {
        std::fprintf(stderr, "fish arrays: could not tune the flick angles into %s\n", tuning.c_str());
        return 1;
    }
    CdataVolume paths;
    shapeFlickPaths(paths);
    bool recorded = false;
    {
        CflickModel model(root);
        recorded = paths.floatData && model.record(paths);
    }
    std::string path = root + kFishArrayFolder + "flickPredict.volume";
    if (!recorded || paths.save(path.c_str()) != 0) {
        std::fprintf(stderr, "fish arrays: could not record the flick paths into %s\n", path.c_str());
        return 1;
    }
    return 0;
}
