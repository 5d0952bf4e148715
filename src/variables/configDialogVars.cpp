#include "variables/configDialogVars.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "support/cerr.h"
#include "support/keptText.h"
#include "variables/variableBasics.h"

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

namespace {

// One option the command line set for its run only: the registry keeps `kept`.
template <typename T> struct CrunOption {
    T& global;
    bool set = false;
    T run{}, kept{};
    void begin(T value) {
        set = true;
        run = value;
        kept = global;
        global = value;
    }
    // The sheet changed it: the sheet's value is kept.
    void keepIfChanged() { set = set && global == run; }
    void swap() {
        if (set) std::swap(global, kept);
    }
};
CrunOption<int> runFishPerTank{maxFishPerTank};
CrunOption<float> runFishSize{m_fishGlobalScalar};
CrunOption<short> runNoSave{m_noSaveTankChanges};

// Puts the kept values in the globals and the run's aside, or back again.
void swapKeptOptions() {
    runFishPerTank.swap();
    runFishSize.swap();
    runNoSave.swap();
}

} // namespace

int setRegistrySettingsToDefaults() {
    // Those the command line set stay for this run: the registry keeps the defaults.
    swapKeptOptions();
    setOptionDefaults();
    swapKeptOptions();
    return 1;
}

void setOptionsForThisRun(int fishPerTank, float fishSize, int noSaveTankChanges) {
    endOptionsForThisRun();
    if (fishPerTank >= 0) runFishPerTank.begin(fishPerTank);
    if (fishSize >= 0.0f) runFishSize.begin(fishSize);
    if (noSaveTankChanges >= 0) runNoSave.begin(static_cast<short>(noSaveTankChanges));
}

void keepOptionsTheSheetChanged() {
    runFishPerTank.keepIfChanged();
    runFishSize.keepIfChanged();
    runNoSave.keepIfChanged();
}

void endOptionsForThisRun() {
    swapKeptOptions();
    runFishPerTank.set = runFishSize.set = runNoSave.set = false;
}

int keptMaxFishPerTank() {
    return runFishPerTank.set ? runFishPerTank.kept : maxFishPerTank;
}

int saveRegistryTree(CdirectoryVar* root, char const* path) {
    if (root == nullptr || root->firstChild == nullptr || path == nullptr) return 1;
    return saveKeptText(path, registryText(root), registryStartCounts());
}

std::vector<std::string> const& registryStartCounts() {
    static std::vector<std::string> const counts = {"runs", "runsTV"};
    return counts;
}

std::string registryText(CdirectoryVar* root) {
    if (root == nullptr || root->firstChild == nullptr) return std::string();
    // The root is marked only for this write; its flag must not leak into other saves.
    root->setSave(1);
    swapKeptOptions();
    std::string text = root->firstChild->settingsText(true, false);
    swapKeptOptions();
    root->setSave(0);
    return text;
}

namespace {

template <typename T> void bringInto(T& value, T low, T high, char const* key, int& changed) {
    T brought = value < low ? low : value > high ? high : value;
    if (brought == value) return;
    VTRACE(1, "registry: " << key << " " << value << " is outside " << low << " to " << high << ", taken as "
                           << brought);
    value = brought;
    changed++;
}

} // namespace

int clampRegistryOptions() {
    int changed = 0;
    bringInto(maxFishPerTank, kFishPerTankMin, kFishPerTankMax, "maxFishPerTank", changed);
    if (!std::isfinite(m_fishGlobalScalar)) {
        VTRACE(1, "registry: fsSz is no number, taken as 1");
        m_fishGlobalScalar = 1.0f;
        changed++;
    }
    bringInto(m_fishGlobalScalar, kFishSizeMin, kFishSizeMax, "fsSz", changed);
    bringInto<short>(m_noSaveTankChanges, 0, 1, "nstch", changed);
    bringInto<short>(soundOff, 0, 1, "soundOff", changed);
    // Below 0 is the sheet's "never"; otherwise its shortest to its longest interval.
    if (updateDays < 0)
        bringInto(updateDays, -1, -1, "updateDays", changed);
    else
        bringInto(updateDays, kUpdateDaysMin, kUpdateDaysMax, "updateDays", changed);
    return changed;
}

CregistryValues::CregistryValues(Cvariable* holder) : root(holder) {
    for (Cvariable* c = root ? root->firstChild : nullptr; c; c = c->nextSibling) {
        Taken t{c, c->getName(), {}, {}};
        auto* link = dynamic_cast<ClinkVar*>(c);
        if (link && link->storage && !c->hasFlag(VAR_HAS_STRING)) {
            auto* bytes = static_cast<unsigned char*>(link->storage);
            t.bytes.assign(bytes, bytes + size_t(link->elementCount) * link->elementSize);
        } else if (c->hasFlag(VAR_HAS_STRING | VAR_HAS_NUMBER)) {
            int n = c->elements() > 1 ? c->elements() : 1;
            for (int i = 0; i < n; i++)
                t.texts.push_back(Cstring(c->getElem_char(static_cast<unsigned short>(i))));
        }
        taken.push_back(std::move(t));
    }
}

void CregistryValues::restore() {
    if (root == nullptr) return;
    std::vector<Cvariable*> still;
    for (Cvariable* c = root->firstChild; c;) {
        Cvariable* next = c->nextSibling;
        bool old = false;
        for (Taken const& t : taken)
            old = old || t.node == c;
        if (old)
            still.push_back(c);
        else
            deleteVariable(c); // made by the file
        c = next;
    }
    for (Taken const& t : taken) // only what is still there: the file may have removed a node
        if (std::find(still.begin(), still.end(), t.node) != still.end()) putBack(t, t.node);
}

void CregistryValues::putBack(Taken const& t, Cvariable* node) {
    auto* link = dynamic_cast<ClinkVar*>(node);
    if (!t.bytes.empty() && link && link->storage &&
        size_t(link->elementCount) * link->elementSize == t.bytes.size())
        std::memcpy(link->storage, t.bytes.data(), t.bytes.size());
    for (size_t i = 0; i < t.texts.size(); i++)
        node->setElem_char(static_cast<unsigned short>(i), t.texts[i].c_str());
}

CregistryValues::Taken const* CregistryValues::named(Cstring const& name) const {
    for (Taken const& t : taken)
        if (t.name == name) return &t;
    return nullptr;
}

void CregistryValues::undoChanges(Cvariable* now, CregistryValues const& after) const {
    CregistryValues current(now);
    for (Taken const& left : after.taken) {
        Taken const* still = current.named(left.name);
        if (still == nullptr || still->bytes != left.bytes || still->texts != left.texts) continue;
        Taken const* before = named(left.name);
        if (before == nullptr)
            deleteVariable(still->node);
        else if (before->bytes != left.bytes || before->texts != left.texts)
            putBack(*before, still->node);
    }
}
