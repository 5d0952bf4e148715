// CsoundPlayer: the WAVE hand-over image and the calls forwarded to the platform's voices.
#include "sound/soundPlayer.h"

#include <cstring>

#include "host/soundOutput.h"
#include "sound/audioSample.h"
#include "support/cerr.h"

namespace {

void write4Chars(uint8_t*& at, char const* tag) {
    std::memcpy(at, tag, 4);
    at += 4;
}

void writeUint(uint8_t*& at, uint32_t v) {
    for (int k = 0; k < 4; k++)
        *at++ = static_cast<uint8_t>(v >> (8 * k));
}

void writeUshort(uint8_t*& at, uint32_t v) {
    *at++ = static_cast<uint8_t>(v);
    *at++ = static_cast<uint8_t>(v >> 8);
}

} // namespace

std::vector<uint8_t> buildWaveImage(CaudioSample const& sample) {
    uint32_t dataSize = static_cast<uint32_t>(sample.dataBytes());
    uint32_t bytes = static_cast<uint32_t>(sample.bytesPerSample());
    uint32_t channels = static_cast<uint32_t>(sample.channels());
    uint32_t rate = static_cast<uint32_t>(sample.sampleRate);
    std::vector<uint8_t> image(44 + size_t(dataSize));
    uint8_t* at = image.data();
    write4Chars(at, "RIFF");
    writeUint(at, dataSize + 36);
    write4Chars(at, "WAVE");
    write4Chars(at, "fmt ");
    writeUint(at, 16);
    writeUshort(at, 1);
    writeUshort(at, channels);
    writeUint(at, rate);
    writeUint(at, bytes * channels * rate);
    writeUshort(at, bytes * channels);
    writeUshort(at, bytes * 8);
    write4Chars(at, "data");
    writeUint(at, dataSize);
    if (dataSize) std::memcpy(at, sample.dataBlock(), dataSize);
    return image;
}

#define PLAYER_TRACE(op) VTRACE(2, "_SP:" op "  sound=" << slot)

CsoundPlayer::~CsoundPlayer() {
    free();
}

int CsoundPlayer::Play() {
    PLAYER_TRACE("Play");
    if (soundDelegate) soundDelegate->play(slot);
    return 0;
}

void CsoundPlayer::Stop() {
    PLAYER_TRACE("Stop");
    if (soundDelegate) soundDelegate->stop(slot);
}

int CsoundPlayer::replay() {
    PLAYER_TRACE("replay");
    if (soundDelegate) soundDelegate->replay(slot);
    return 0;
}

void CsoundPlayer::SetVolume(float volume) {
    PLAYER_TRACE("SetVolume");
    if (soundDelegate) soundDelegate->setVolume(slot, volume);
}

bool CsoundPlayer::isPlaying() {
    PLAYER_TRACE("isPlaying");
    return soundDelegate && soundDelegate->isPlaying(slot);
}

float CsoundPlayer::secondsLeftToPlay() {
    PLAYER_TRACE("secondsLeftToPlay");
    return soundDelegate ? soundDelegate->secondsLeftToPlay(slot) : 0.0f;
}

void CsoundPlayer::free() {
    PLAYER_TRACE("free");
    if (soundDelegate) soundDelegate->free(slot);
}

int CsoundPlayer::setSample(CaudioSample const& sample) {
    PLAYER_TRACE("setSample");
    // Without voices nothing is heard; the manager runs on all the same.
    if (!soundDelegate) return 0;
    soundDelegate->free(slot);
    if (soundDelegate->createSoundFromData(slot, buildWaveImage(sample))) {
        soundDelegate->setVolume(slot, 0.0f);
        soundDelegate->pause(slot);
    }
    return 0;
}
