// CaudioManagerNew: choosing the trickle, building the bubble tracks, the single-track
// mix, and the players.
#include "sound/audioManager.h"

#include <cmath>

#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

constexpr int kRate = 22050;
constexpr float kHighBubblesPerFrame = 7.540966e-6f;
// The bubble definitions of each mode: pitch, pitch variation, timing randomness, count.
constexpr float kBubbleModes[2][2][4] = {
    {{1.0f, 0.6f, 0.1f, 30.0f}, {0.6f, 0.0f, 0.6f, 18.0f}}, // low
    {{2.0f, 1.0f, 0.4f, 60.0f}, {1.5f, 1.0f, 0.4f, 55.0f}}, // high
};
// Seconds left at which the other one-shot player takes over.
constexpr float kHandOverSeconds = 1.01f;

// x brought into [0, 1).
double wrapUnit(double x) {
    x -= std::floor(x);
    return x < 1.0 ? x : 0.0;
}

} // namespace

CaudioManagerNew::CaudioManagerNew() {
    for (int i = 0; i < kTracks; i++)
        players[i].slot = static_cast<short>(i);
    tracks[kTrickle].setName("trickle");
    for (int t = 0; t < 2; t++)
        for (int k = 0; k < 4; k++)
            bubbleDefs[t][k] = kBubbleModes[t][0][k];
}

CaudioManagerNew::~CaudioManagerNew() {
    VTRACE(1, "deleting audio manager");
    for (CsoundPlayer& p : players) {
        p.Stop();
        p.free();
    }
}

int CaudioManagerNew::addTrickleSound(char const* trickleName, char const* file) {
    Cstring path = Cstring(kSoundFolder) + (file ? file : "");
    if (!fileExists(path.c_str())) {
        VTRACE(1, "no trickle sound " << path);
        return 1;
    }
    trickleNames.push_back(Cstring(trickleName ? trickleName : ""));
    tricklePaths.push_back(path);
    return 0;
}

int CaudioManagerNew::findSoundIndex(char const* trickleName) const {
    for (size_t i = 0; i < trickleNames.size(); i++)
        if (trickleNames[i] == (trickleName ? trickleName : "")) return static_cast<int>(i);
    return -1;
}

int CaudioManagerNew::setTrickleSound(int advance) {
    CaudioSample& track = tracks[kTrickle];
    track.setName("trickle");
    track.freeSample();
    int found = findSoundIndex(currentTrickleName->c_str());
    int count = static_cast<int>(trickleNames.size());
    int chosen = -1;
    if (advance != 0 && count > 0)
        chosen = found >= 0 ? (found + 1) % count : 0;
    else if (advance == 0 && currentTricklePath.empty() && count > 0)
        chosen = found >= 0 ? found : 0;
    if (chosen >= 0) {
        *currentTrickleName = trickleNames[size_t(chosen)];
        currentTricklePath = tricklePaths[size_t(chosen)];
    }
    if (currentTricklePath.empty() || track.loadSample(currentTricklePath.c_str()) != 0 || !track.hasData()) {
        VTRACE(1, "no trickle loaded from \"" << currentTricklePath << "\"");
        highBubbleFactor = 0.0f;
        return 1;
    }
    highBubbleFactor = static_cast<float>(track.frames()) * kHighBubblesPerFrame;
    track.convertTo16bit();
    return 0;
}

int CaudioManagerNew::setLowBubbles(int mode) {
    return setBubbles(kLowBubbles, mode);
}

int CaudioManagerNew::setHiBubbles(int mode) {
    return setBubbles(kHighBubbles, mode);
}

int CaudioManagerNew::setBubbles(int track, int mode) {
    int m = mode % 2;
    (track == kLowBubbles ? lowMode : highMode) = m;
    if (m == 0 || m == 1) {
        for (int k = 0; k < 4; k++)
            bubbleDefs[track][k] = kBubbleModes[track][m][k];
        modeInForce[track] = m;
    }
    rebuildBubbleTrack(track);
    return modeInForce[track];
}

void CaudioManagerNew::setBubbleDefs(int track, float pitch, float variation, float timing, float count) {
    if (track != kLowBubbles && track != kHighBubbles) return;
    float* row = bubbleDefs[track];
    row[0] = pitch;
    row[1] = variation;
    row[2] = timing;
    row[3] = count;
}

bool CaudioManagerNew::initBubbleSampleIfNotAlready() {
    if (bubbleSource.hasData()) return true;
    if (bubbleSource.loadSample(kBubbleSource) != 0) {
        setExitError("couldn't open sample!", 1);
        return false;
    }
    bubbleSource.convertTo16bit();
    bubbleSource.grainStarts.clear();
    bubbleSource.grainLengths.clear();
    bubbleSource.breakup(bubbleSource.grainStarts, bubbleSource.grainLengths);
    VTRACE(2, "bubble source cut into " << bubbleSource.grainLengths.size() << " grains");
    return true;
}

int CaudioManagerNew::rebuildBubbleTrack(int track) {
    if (track != kLowBubbles && track != kHighBubbles) return 0;
    CaudioSample& out = tracks[track];
    out.freeSample();
    bubblesWritten = 0;
    // Without a trickle there is no loop length to fill; the track stays empty.
    if (out.init(tracks[kTrickle].frames(), 2, 2, kRate) != 0) return 0;
    if (!initBubbleSampleIfNotAlready()) return 0;
    random.reseed(0); // every rebuild of a track with the same settings is identical
    float const* row = bubbleDefs[track];
    float count = row[3] * (track == kHighBubbles ? highBubbleFactor : 1.0f);
    writeBubbles(out, row[0], row[1], row[2], count, 0.25f);
    return 0;
}

// Bubbles come in clusters of up to six; later bubbles of a cluster come earlier (by up
// to half a slot) and higher. The random draws follow a fixed order, one discarded first.
int CaudioManagerNew::writeBubbles(CaudioSample& track, float pitch, float variation, float timing,
                                   float count, float amplitude) {
    bubblesWritten = 0;
    int grains = static_cast<int>(bubbleSource.grainLengths.size());
    int n = track.frames();
    // No grains, no track or no bubbles to place: nothing to write.
    if (grains < 1 || n < 1 || !(count > 0.0f)) return 0;
    random.next();
    int k = 0, previousGrain = -1;
    double clusterSize = 0.0;
    for (int i = 0; i == 0 || i < count;) {
        k++;
        if (k >= clusterSize) {
            clusterSize = 6.0 * random.unit();
            k = 0;
        }
        i++;
        double inCluster = clusterSize > 0.0 ? k / clusterSize : 0.0;
        double offset = timing * random.unit() / count - 0.5 * inCluster / count;
        double gain = 0.4 + 0.6 * random.unit();
        double step = pitch * (1.0 + variation * random.unit() + 0.5 * variation * inCluster);
        int grain = random.next() % grains;
        while (grains > 1 && grain == previousGrain)
            grain = random.next() % grains;
        previousGrain = grain;
        double t = wrapUnit(i / count + offset);
        gain *= amplitude;
        double stereo = (random.unit() - 0.5) * 0.002;
        double t1 = wrapUnit(t + stereo);
        int start = bubbleSource.grainStarts[size_t(grain)],
            length = bubbleSource.grainLengths[size_t(grain)];
        bubbleSource.copyTo(track, int(n * t), 0, start, length, float(gain), float(step), 0.0f);
        bubbleSource.copyTo(track, int(n * t1), 1, start, length, float(gain), float(step), 0.0f);
        bubblesWritten++;
    }
    return 0;
}

void CaudioManagerNew::generateAllTracks() {
    if (!tracks[kTrickle].hasData()) setTrickleSound(0);
    if (!tracks[kLowBubbles].hasData()) setLowBubbles(lowMode);
    if (!tracks[kHighBubbles].hasData()) setHiBubbles(highMode);
}

int CaudioManagerNew::generateSingleTrack() {
    if (singleTrack) return 0;
    stopAllPlayback();
    generateAllTracks();
    CaudioSample& trickle = tracks[kTrickle];
    CaudioSample& mix = tracks[kSingleTrack];
    if ((lowVolume + trickleVolume + highVolume) * masterVolume > 0.0f &&
        mix.init(trickle.frames(), 2, 2, kRate) == 0) {
        trickle.copyStraightTo(mix, 0, trickleVolume);
        tracks[kLowBubbles].copyStraightTo(mix, 0, lowVolume);
        tracks[kHighBubbles].copyStraightTo(mix, 0, highVolume);
        mix.fadeEnd(0, 1.0f);
        mix.fadeEnd(1, 1.0f);
        for (int p : {3, 4}) {
            players[p].setSample(mix);
            players[p].SetVolume(0.0f);
        }
        currentPlayer = 3;
        players[3].Play();
    }
    singleTrack = 1;
    return 0;
}

int CaudioManagerNew::multiTrackMode() {
    if (!singleTrack) return 0;
    stopAllPlayback();
    players[3].free();
    players[4].free();
    currentPlayer = -1;
    generateAllTracks();
    for (int i = 0; i < 3; i++) {
        players[i].setSample(tracks[i]);
        players[i].Play();
    }
    singleTrack = 0;
    return 0;
}

void CaudioManagerNew::managePlaybackStaggering() {
    if (currentPlayer < 0 || !singleTrack) return;
    CsoundPlayer& current = players[currentPlayer];
    if (current.secondsLeftToPlay() < kHandOverSeconds || !current.isPlaying()) {
        currentPlayer = currentPlayer == 3 ? 4 : 3;
        VTRACE(2, "new play track: " << currentPlayer);
        players[currentPlayer].replay();
    }
}

void CaudioManagerNew::stopAllPlayback() {
    VTRACE(1, "stopping playback");
    for (CsoundPlayer& p : players)
        p.Stop();
}

void CaudioManagerNew::refreshPlayerSample(int i) {
    if (i < 0 || i >= kTracks) return;
    players[i].setSample(tracks[i]);
    players[i].Play();
}

void CaudioManagerNew::fadeVolume(float factor) {
    players[3].SetVolume(masterVolume * factor);
    players[4].SetVolume(masterVolume * factor);
}

void CaudioManagerNew::setAllTrackVolumes() {
    players[kLowBubbles].SetVolume(lowVolume * masterVolume);
    players[kHighBubbles].SetVolume(highVolume * masterVolume);
    players[kTrickle].SetVolume(trickleVolume * masterVolume);
}

void CaudioManagerNew::defineIndividualVolumes(float trickle, float high, float low, float master) {
    trickleVolume = trickle;
    highVolume = high;
    lowVolume = low;
    masterVolume = master;
}
