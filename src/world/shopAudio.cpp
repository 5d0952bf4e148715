#include "world/shopAudio.h"

#include <memory>

#include "host/soundOutput.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/velmoraFunctions.h"
#include "sound/audioManager.h"

namespace {

class CshopAudioManager : public CshopAudio {
  public:
    CshopAudioManager() : manager(std::make_unique<CaudioManagerNew>()) {}
    ~CshopAudioManager() override {
        manager.reset(); // the players let their slots go before the device closes
        if (started) OS::closeAudio();
    }

    int start() override {
        started = true;
        return OS::startAudio();
    }
    void keepTrickleSampleName(Cstring* name) override { manager->keepTrickleName(name); }
    void addTrickleSound(char const* name, char const* file) override {
        manager->addTrickleSound(name, file);
    }
    int setTrickleSound(int advance) override { return manager->setTrickleSound(advance); }
    short setLowBubbles(short variant) override {
        return static_cast<short>(manager->setLowBubbles(variant));
    }
    short setHiBubbles(short variant) override { return static_cast<short>(manager->setHiBubbles(variant)); }
    void defineIndividualVolumes(float trickle, float hiBubbles, float lowBubbles, float master) override {
        manager->defineIndividualVolumes(trickle, hiBubbles, lowBubbles, master);
    }
    void generateSingleTrack() override { manager->generateSingleTrack(); }
    void multiTrackMode() override { manager->multiTrackMode(); }
    void setAllTrackVolumes() override { manager->setAllTrackVolumes(); }
    void refreshPlayerSample(int track) override { manager->refreshPlayerSample(track); }
    void fadeVolume(float factor) override { manager->fadeVolume(factor); }
    void managePlaybackStaggering() override { manager->managePlaybackStaggering(); }

  private:
    std::unique_ptr<CaudioManagerNew> manager;
    bool started = false;
};

} // namespace

bool soundMuted = false;

CshopAudio* makeShopAudio() {
    return new CshopAudioManager();
}

CshopAudio* makeShopAudioUnlessSilent() {
    char const* why = soundMuted         ? "muted"
                      : soundOff         ? "switched off in the settings"
                      : global_isPreview ? "preview"
                                         : nullptr;
    if (why == nullptr) return makeShopAudio();
    if (masterOut.is_open()) masterOut << "no sound: " << why << std::endl;
    return nullptr;
}
