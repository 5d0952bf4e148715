// The sound voices on OpenAL: one device and context, five sources, one buffer per slot.
//
// A slot's WAVE image is read back into an OpenAL buffer; the source plays it directly
// to the speakers (no positioning). OpenAL mixes on a thread of its own; everything here
// runs on the frame loop.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

#include "host/soundOutput.h"
#include "support/cerr.h"

namespace {

class CopenalSound : public CsoundDelegate {
  public:
    // Null when no device opens.
    static CopenalSound* open();
    ~CopenalSound() override;

    bool createSoundFromData(int slot, std::vector<uint8_t> image) override;
    void play(int slot) override;
    bool isPlaying(int slot) override;
    void stop(int slot) override;
    void setVolume(int slot, float volume) override;
    void pause(int slot) override;
    void free(int slot) override;
    float secondsLeftToPlay(int slot) override;
    void replay(int slot) override;

  private:
    CopenalSound(ALCdevice* d, ALCcontext* c) : device(d), context(c) {}
    // The slot's source when it holds a sound, else 0.
    ALuint sourceWithSound(int slot) const {
        return slot >= 0 && slot < kSoundSlots && buffers[slot] ? sources[slot] : 0;
    }

    ALCdevice* device;
    ALCcontext* context;
    ALuint sources[kSoundSlots] = {};
    ALuint buffers[kSoundSlots] = {};
    float durations[kSoundSlots] = {};
    static constexpr bool looping[kSoundSlots] = {true, true, true, false, false};
};

bool exists(std::string const& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Whether the machine has something to play to: a sound server's socket or a sound card's
// playback device, or output chosen explicitly. On a server without sound, opening a device
// would only fill the terminal with the sound libraries' complaints.
bool soundOutputLikely() {
    for (char const* chosen : {"ALSOFT_DRIVERS", "PULSE_SERVER", "PIPEWIRE_REMOTE"})
        if (std::getenv(chosen)) return true;
    if (char const* run = std::getenv("XDG_RUNTIME_DIR"))
        if (exists(std::string(run) + "/pulse/native") || exists(std::string(run) + "/pipewire-0"))
            return true;
    bool card = false;
    if (DIR* dir = opendir("/dev/snd")) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name).rfind("pcmC", 0) == 0) card = true;
        closedir(dir);
    }
    return card || exists("/dev/dsp");
}

CopenalSound* CopenalSound::open() {
    if (!soundOutputLikely()) return nullptr;
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return nullptr;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    auto* sound = new CopenalSound(device, context);
    alGetError();
    alGenSources(kSoundSlots, sound->sources);
    if (alGetError() != AL_NO_ERROR) {
        delete sound;
        return nullptr;
    }
    bool direct = alIsExtensionPresent("AL_SOFT_direct_channels");
    for (ALuint source : sound->sources) {
        // Stereo tracks go to the speakers as they are: no position, no distance.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        if (direct) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }
    return sound;
}

CopenalSound::~CopenalSound() {
    for (int slot = 0; slot < kSoundSlots; slot++)
        free(slot);
    if (sources[0]) alDeleteSources(kSoundSlots, sources);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

bool CopenalSound::createSoundFromData(int slot, std::vector<uint8_t> image) {
    if (slot < 0 || slot >= kSoundSlots) return false;
    free(slot);
    CwaveImage wave;
    Cstring why;
    if (readWaveImage(image.data(), image.size(), wave, why) != 0 || wave.dataBytes == 0) {
        VTRACE(1, "sound slot " << slot << ": " << (why.empty() ? "no values" : why.c_str()));
        return false;
    }
    ALenum format = wave.channels == 2 ? (wave.bitsPerSample == 16 ? AL_FORMAT_STEREO16 : AL_FORMAT_STEREO8)
                                       : (wave.bitsPerSample == 16 ? AL_FORMAT_MONO16 : AL_FORMAT_MONO8);
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, format, wave.data, static_cast<ALsizei>(wave.dataBytes), wave.sampleRate);
    alSourcei(sources[slot], AL_BUFFER, static_cast<ALint>(buffer));
    if (alGetError() != AL_NO_ERROR) {
        alSourcei(sources[slot], AL_BUFFER, 0);
        alDeleteBuffers(1, &buffer);
        alGetError();
        VTRACE(1, "sound slot " << slot << ": the device refused the sound");
        return false;
    }
    buffers[slot] = buffer;
    int frameBytes = wave.channels * wave.bitsPerSample / 8;
    durations[slot] = float(double(wave.dataBytes / frameBytes) / wave.sampleRate);
    return true;
}

void CopenalSound::play(int slot) {
    if (ALuint s = sourceWithSound(slot)) {
        alSourcei(s, AL_LOOPING, looping[slot] ? AL_TRUE : AL_FALSE);
        alSourcePlay(s);
    }
}

bool CopenalSound::isPlaying(int slot) {
    ALuint s = sourceWithSound(slot);
    if (!s) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(s, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void CopenalSound::stop(int slot) {
    if (ALuint s = sourceWithSound(slot)) alSourceStop(s);
}

void CopenalSound::setVolume(int slot, float volume) {
    if (ALuint s = sourceWithSound(slot)) alSourcef(s, AL_GAIN, std::clamp(volume, 0.0f, 1.0f));
}

void CopenalSound::pause(int slot) {
    if (ALuint s = sourceWithSound(slot)) alSourcePause(s);
}

void CopenalSound::free(int slot) {
    ALuint s = sourceWithSound(slot);
    if (!s) return;
    alSourceStop(s);
    alSourcei(s, AL_BUFFER, 0);
    alDeleteBuffers(1, &buffers[slot]);
    buffers[slot] = 0;
    durations[slot] = 0.0f;
}

float CopenalSound::secondsLeftToPlay(int slot) {
    ALuint s = sourceWithSound(slot);
    if (!s) return 0.0f;
    ALfloat at = 0.0f;
    alGetSourcef(s, AL_SEC_OFFSET, &at);
    return durations[slot] - at;
}

void CopenalSound::replay(int slot) {
    if (ALuint s = sourceWithSound(slot)) {
        alSourceStop(s);
        alSourceRewind(s);
        alSourcePlay(s);
    }
}

CopenalSound* openedSound = nullptr;

} // namespace

namespace OS {

int startAudio() {
    if (openedSound) return 0;
    openedSound = CopenalSound::open();
    if (!openedSound) {
        if (masterOut.is_open()) masterOut << "no sound device: the sound plays silently" << std::endl;
        return 0;
    }
    soundDelegate = openedSound;
    VTRACE(1, "sound device open");
    return 0;
}

void closeAudio() {
    if (soundDelegate == openedSound) soundDelegate = nullptr;
    delete openedSound;
    openedSound = nullptr;
}

} // namespace OS
