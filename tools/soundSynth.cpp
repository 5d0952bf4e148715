#include "soundSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "sound/audioSample.h"
#include "support/fileIO.h"

namespace {

// A small fixed-seed generator: the same sounds on every build.
struct Lcg {
    uint64_t state;
    double next() { // [0, 1)
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }
};

// A band-pass biquad (constant peak gain) and its running state.
struct BandPass {
    double b0 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    BandPass(double low, double high, int rate) {
        double centre = std::sqrt(low * high), q = centre / (high - low);
        double w = 2.0 * std::numbers::pi * centre / rate, alpha = std::sin(w) / (2.0 * q);
        double a0 = 1.0 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2.0 * std::cos(w) / a0;
        a2 = (1.0 - alpha) / a0;
    }
    double step(double x) {
        double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Scales the buffer so its largest magnitude is peak and stores it as 16-bit values.
bool store16(CaudioSample& out, std::vector<float> const& buffer, int frames, int channels, double peak,
             char const* name) {
    if (out.init(frames, channels, 2, kSoundRate) != 0) return false;
    out.setName(name);
    double largest = 0.0;
    for (float v : buffer)
        largest = std::max(largest, std::fabs(double(v)));
    double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
    int16_t* values = out.values16();
    for (size_t k = 0; k < buffer.size(); k++)
        values[k] = static_cast<int16_t>(std::lround(buffer[k] * scale));
    return true;
}

} // namespace

int addBubble(std::vector<float>& buffer, int channels, int channel, int64_t at, double radiusMm,
              double amplitude, bool wrap) {
    int64_t frames = static_cast<int64_t>(buffer.size()) / channels;
    if (frames < 1 || radiusMm <= 0.0) return 0;
    double f0 = 3.26 / (radiusMm / 1000.0);
    // Damping of a bubble's ring, gentler than in open water so the grains carry.
    double damping = 0.6 * (0.043 * f0 + 0.0014 * std::pow(f0, 1.5));
    double rise = 0.08 * damping; // relative pitch rise per second
    double attack = 0.0002;
    int length = static_cast<int>(std::log(1000.0) / damping * kSoundRate);
    for (int k = 0; k < length; k++) {
        int64_t frame = at + k;
        if (frame >= frames) {
            if (!wrap) return k;
            frame %= frames;
        }
        double t = double(k) / kSoundRate;
        double phase = 2.0 * std::numbers::pi * f0 * (t + 0.5 * rise * t * t);
        double envelope = amplitude * std::exp(-damping * t) * (1.0 - std::exp(-t / attack));
        buffer[size_t(frame * channels + channel)] += float(envelope * std::sin(phase));
    }
    return length;
}

bool makeBubbleRecording(CaudioSample& out) {
    Lcg rng{0xb0bb1e5ULL};
    std::vector<float> buffer(size_t(kSoundRate) * 30, 0.0f);
    int64_t at = kSoundRate / 20;
    const int bubbles = 64;
    for (int b = 0; b < bubbles; b++) {
        // Radii spread evenly on a log scale from 2 to 6 mm: resonances of 540 to 1630 Hz.
        double radius = 2.0 * std::exp(std::log(3.0) * rng.next());
        double amplitude = 0.45 + 0.4 * rng.next();
        int rang = addBubble(buffer, 1, 0, at, radius, amplitude, false);
        at += rang + static_cast<int64_t>(rng.range(0.04, 0.16) * kSoundRate);
        if (at >= int64_t(buffer.size())) return false;
    }
    int frames = static_cast<int>(at);
    buffer.resize(size_t(frames));
    if (!store16(out, buffer, frames, 1, 0.9, "hibubbles5")) return false;
    // The rings' faint tails round to exact silence, so the gaps stay gaps.
    int16_t* v = out.values16();
    for (int k = 0; k < frames; k++)
        if (std::abs(int(v[k])) <= 2) v[k] = 0;
    return true;
}

std::vector<CtrickleStyle> const& trickleStyles() {
    static const std::vector<CtrickleStyle> styles = {
        {"trickle1.chan", 154350, 0x7121c1e1ULL, 500.0, 1800.0, 0.35, 0.35, 3.0, {1.0, 2.5}, 0.1},
        {"trickle2.chan", 132609, 0x7121c1e2ULL, 400.0, 2600.0, 0.6, 0.5, 8.0, {0.8, 2.0}, 0.3},
        {"trickle3.chan", 176400, 0x7121c1e3ULL, 700.0, 2200.0, 0.2, 0.25, 1.6, {1.2, 3.5}, 0.05},
    };
    return styles;
}

bool makeTrickle(CaudioSample& out, CtrickleStyle const& style) {
    const int n = style.frames;
    if (n < kSoundRate) return false;
    Lcg rng{style.seed};
    std::vector<float> buffer(size_t(n) * 2, 0.0f);
    // The hiss: noise that repeats every n frames, run twice through the band filter so the
    // kept second pass is in its steady state and its end runs on into its start. Each
    // side has its own noise with a share of common noise, for width.
    std::vector<double> common(static_cast<size_t>(n));
    std::vector<double> own[2] = {common, common};
    for (double& x : common)
        x = rng.range(-1.0, 1.0);
    for (auto& side : own)
        for (double& x : side)
            x = rng.range(-1.0, 1.0);
    // The flow swells and ebbs: sines whose periods divide the loop.
    double phases[3], depths[3];
    for (int h = 0; h < 3; h++) {
        phases[h] = rng.range(0.0, 2.0 * std::numbers::pi);
        depths[h] = style.surge / (h + 1.5);
    }
    for (int c = 0; c < 2; c++) {
        BandPass filter(style.noiseLow * (c ? 1.08 : 1.0), style.noiseHigh * (c ? 0.95 : 1.0), kSoundRate);
        for (int pass = 0; pass < 2; pass++)
            for (int k = 0; k < n; k++) {
                double y = filter.step(0.6 * common[size_t(k)] + 0.8 * own[c][size_t(k)]);
                if (pass == 0) continue;
                double swell = 1.0;
                for (int h = 0; h < 3; h++)
                    swell +=
                        depths[h] * std::sin(2.0 * std::numbers::pi * (h + 1) * k / n + phases[h] + c * 0.4);
                buffer[size_t(k) * 2 + size_t(c)] = float(style.noiseLevel * std::max(swell, 0.05) * y);
            }
    }
    // Drips: small bubbles at random moments, some bringing a burst of smaller ones; a drip
    // near the end rings on into the start.
    int drips = static_cast<int>(style.dripsPerSecond * n / kSoundRate);
    for (int d = 0; d < drips; d++) {
        int64_t at = static_cast<int64_t>(rng.next() * n);
        double radius = rng.range(style.dripRadiusMm[0], style.dripRadiusMm[1]);
        double amplitude = rng.range(0.15, 0.5), pan = rng.next();
        addBubble(buffer, 2, 0, at, radius, amplitude * std::sqrt(1.0 - pan), true);
        addBubble(buffer, 2, 1, at, radius, amplitude * std::sqrt(pan), true);
        if (rng.next() < style.gurgle) {
            int burst = 2 + static_cast<int>(rng.next() * 4);
            for (int b = 0; b < burst; b++) {
                at += static_cast<int64_t>(rng.range(0.01, 0.05) * kSoundRate);
                double r = radius * rng.range(0.5, 0.9);
                addBubble(buffer, 2, b % 2, at, r, amplitude * 0.6, true);
            }
        }
    }
    Cstring name(style.file);
    noSuffix(name);
    return store16(out, buffer, n, 2, 0.9, name.c_str());
}

std::vector<std::string> const& soundFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> list = {"global/sounds/hibubbles5.chan"};
        for (CtrickleStyle const& s : trickleStyles())
            list.push_back(std::string("global/sounds/") + s.file);
        return list;
    }();
    return files;
}

int writeSounds(std::string const& root) {
    std::error_code ec;
    std::filesystem::create_directories(root + "global/sounds", ec);
    int failed = 0;
    auto write = [&](CaudioSample& sample, std::string const& file) {
        std::string path = root + file;
        if (sample.saveTree(path.c_str(), 1) != 0) {
            std::fprintf(stderr, "makeSounds: could not write %s\n", path.c_str());
            failed = 1;
        }
    };
    CaudioSample bubbles;
    if (makeBubbleRecording(bubbles))
        write(bubbles, soundFiles()[0]);
    else
        std::fprintf(stderr, "makeSounds: the bubble recording could not be made\n"), failed = 1;
    for (size_t k = 0; k < trickleStyles().size(); k++) {
        CaudioSample trickle;
        if (makeTrickle(trickle, trickleStyles()[k]))
            write(trickle, soundFiles()[k + 1]);
        else
            std::fprintf(stderr, "makeSounds: %s could not be made\n", trickleStyles()[k].file), failed = 1;
    }
    return failed;
}
