#include "variables/configDialogVars.h"

#include "support/cerr.h"

CdirectoryVar* registries = nullptr;

// Static defaults; the options marked in setRegistrySettingsToDefaults are set there.
short batterySaver = 0;
short specialMode = 0;
int numRuns = 0;
float aquaVersion = 0.0f;
Cstring modules;
int moduleUpdateDate = 0;
Cstring contactEmail;
int lastUpdate = 0;
int updateDays = 0;
int numRunsThisVersion = 0;
float whatsNewVersion = 1.296f;
short languageNum = 0;
Cstring languageCode;
int maxFishPerTank = 0;
int lifetimeRunMinutes = 0;
Cstring activeTimes;
short openGLMode = 0;
short runPriority = 0;
float newestVersion = 1.296f;
unsigned int m_userFlags = 64;
short phoneHomeMode = 1;
short phoneHomeThisRun = 3;
short countdownToSendExtraHttpString = 0;
short midBit = 0;
float m_fishGlobalScalar = 0.0f;
short xWell = 1;
short allScreensSaver = 0;
short m_noSaveTankChanges = 0;
short soundOff = 0;

namespace {

void setOptionDefaults() {
    runPriority = 0;
    batterySaver = 0;
    lastUpdate = 0;
    updateDays = 90;
    languageNum = -1;
    m_noSaveTankChanges = 0;
    maxFishPerTank = 70;
    openGLMode = 1;
    m_fishGlobalScalar = 1.0f;
    countdownToSendExtraHttpString = 1;
    soundOff = 0;
}

} // namespace

CdirectoryVar* createRegistryAndRegisterVars(CdirectoryVar* root) {
    CdirectoryVar* r = globalVariablesDir ? globalVariablesDir : root;
    if (!r) {
        setExitError("no root for the registry", 1);
        return nullptr;
    }
    registries = r;
    // Each registration is prepended: the root lists (and the file writes) them newest first.
    r->registerShort(batterySaver, "batterySaver", 1);
    r->registerShort(specialMode, "special", 0);
    r->registerInt(numRuns, "runs", 1);
    r->registerFloat(aquaVersion, "version", 1);
    r->registerString(modules, "modules", 0);
    r->registerInt(moduleUpdateDate, "updateDate", 0);
    r->registerString(contactEmail, "contact", 1);
    r->registerInt(lastUpdate, "lastUpdate", 1);
    r->registerInt(updateDays, "updateDays", 1);
    r->registerInt(numRunsThisVersion, "runsTV", 1);
    r->registerFloat(whatsNewVersion, "whatsNewVersion", 1);
    r->registerShort(languageNum, "languageNum", 1);
    r->registerString(languageCode, "languageCode", 1);
    r->registerInt(maxFishPerTank, "maxFishPerTank", 1);
    r->registerInt(lifetimeRunMinutes, "lifeMins", 1);
    r->registerString(activeTimes, "actvTms", 1);
    r->registerShort(openGLMode, "oglmd", 1);
    r->registerShort(runPriority, "runPriority", 1);
    r->registerFloat(newestVersion, "newestVersn", 1);
    r->registerInt(reinterpret_cast<int&>(m_userFlags), "uflags", 1);
    r->registerShort(phoneHomeMode, "phoneHmMode", 1);
    r->registerShort(phoneHomeThisRun, "nextRunPhHm", 1);
    r->registerShort(countdownToSendExtraHttpString, "extraHttp", 1);
    r->registerShort(midBit, "midbit", 1);
    r->registerFloat(m_fishGlobalScalar, "fsSz", 1);
    r->registerShort(xWell, "xwell", 1);
    r->registerShort(allScreensSaver, "allSS", 1);
    r->registerShort(m_noSaveTankChanges, "nstch", 1);
    r->registerShort(soundOff, "soundOff", 1);
    setOptionDefaults();
    return r;
}

int setRegistrySettingsToDefaults() {
    setOptionDefaults();
    return 1;
}

int saveRegistryTree(CdirectoryVar* root, char const* path) {
    if (root == nullptr || root->firstChild == nullptr || path == nullptr) return 1;
    // The root is marked only for this write; its flag must not leak into other saves.
    root->setSave(1);
    int result = root->firstChild->saveSettings(path, true, false);
    root->setSave(0);
    return result;
}
