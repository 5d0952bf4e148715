// The tank's ambient sound: two bubble tracks made by scattering grains of one recorded
// bubble sample, and a trickling-water loop read from a sample file.
//
// Every track is stereo, 16-bit, 22050 Hz and exactly as long as the trickle loop; grains
// that run past the end wrap to the start, so every track loops without a seam. The tracks
// play either on three looping players (multi-track mode, each track's volume its own) or
// mixed into one track whose first and last second fade, played by two one-shot players
// that hand over to each other a second before the end (single-track mode, the normal
// state). The owner calls managePlaybackStaggering and fadeVolume from the frame loop.
#pragma once

#include <vector>

#include "sound/audioSample.h"
#include "sound/libcRandom.h"
#include "sound/soundPlayer.h"
#include "support/mystring.h"

class CaudioManagerNew {
  public:
    enum { kLowBubbles = 0, kHighBubbles = 1, kTrickle = 2, kSingleTrack = 3, kSpare = 4, kTracks = 5 };
    static constexpr char const* kBubbleSource = "global/sounds/hibubbles5.chan";
    static constexpr char const* kSoundFolder = "global/sounds/";

    // Five players on slots 0 to 4, five empty tracks, multi-track mode, nothing loaded.
    CaudioManagerNew();
    // Stops and frees every player.
    ~CaudioManagerNew();
    CaudioManagerNew(CaudioManagerNew const&) = delete;
    CaudioManagerNew& operator=(CaudioManagerNew const&) = delete;

    // Registers the trickle loop "<kSoundFolder><file>" under name when the file exists;
    // 0 registered, 1 not.
    int addTrickleSound(char const* trickleName, char const* file);
    // Index of the first trickle of that name; -1 when none.
    int findSoundIndex(char const* trickleName) const;
    // Loads the chosen trickle into its track (advance: the next one after the current
    // name; 0: the current choice, or the current name's, or the first). 0 loaded, 1 the
    // track has no data (also when no trickle is registered).
    int setTrickleSound(int advance);
    // Keeps the owner's string that holds the chosen trickle's name (read and written).
    void keepTrickleName(Cstring* trickleName) {
        currentTrickleName = trickleName ? trickleName : &ownTrickleName;
    }
    Cstring const& trickleName() const { return *currentTrickleName; }

    // Mode % 2 picks a row of bubble definitions (a negative mode keeps the current ones)
    // and rebuilds the track; the mode whose definitions are now in force.
    int setLowBubbles(int mode);
    int setHiBubbles(int mode);
    void setBubbleDefs(int track, float pitch, float variation, float timing, float count);
    // Regenerates bubble track 0 or 1 from its definitions; 0.
    int rebuildBubbleTrack(int track);
    // Scatters count grains of the bubble source into track (see the file's notes); 0.
    int writeBubbles(CaudioSample& track, float pitch, float variation, float timing, float count,
                     float amplitude);
    // Makes the missing tracks: trickle, then low bubbles, then high bubbles.
    void generateAllTracks();

    // Mixes the tracks into one faded track and starts it on player 3; 0.
    int generateSingleTrack();
    // Plays the three tracks on their own looping players; 0.
    int multiTrackMode();
    // Per frame in single-track mode: hands over to the other one-shot player 1.01 s
    // before the end of the current one.
    void managePlaybackStaggering();
    void stopAllPlayback();
    // Gives player i track i again and plays it.
    void refreshPlayerSample(int i);
    // Players 3 and 4 at master x factor.
    void fadeVolume(float factor);
    // Players 0 to 2 at their track's volume x master.
    void setAllTrackVolumes();
    void defineIndividualVolumes(float trickle, float high, float low, float master);

    CsoundPlayer players[kTracks];
    CbubbleBreakup bubbleSource;
    CaudioSample tracks[kTracks];
    // Trickle frames x 7.540966e-6: the high bubble count scales with the loop's length.
    float highBubbleFactor = 0.0f;
    std::vector<Cstring> trickleNames, tricklePaths;
    Cstring currentTricklePath;
    int lowMode = 0, highMode = 0;
    // Per track (low, high): pitch, pitch variation, timing randomness, bubble count.
    float bubbleDefs[2][4];
    int currentPlayer = -1;
    short singleTrack = 0;
    float lowVolume = 0.0f, highVolume = 0.0f, trickleVolume = 0.0f, masterVolume = 0.0f;
    // Bubbles the last writeBubbles placed.
    int bubblesWritten = 0;

  private:
    // Loads and cuts the bubble source once; false (with the exit reason) when it cannot.
    bool initBubbleSampleIfNotAlready();
    int setBubbles(int track, int mode);

    Cstring ownTrickleName;
    Cstring* currentTrickleName = &ownTrickleName;
    // The mode whose definitions each bubble track uses.
    int modeInForce[2] = {0, 0};
    ClibcRandom random;
};
