// The settings registry: global options and run counters that outlive a run.
//
// Each option is an engine global exposed as a link directly under the root of the tree
// (globalVariablesDir), so "registry.txt", scripts and the host's options sheet all reach
// it by name. Saved keys go to "registry.txt"; the file is read back as a script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/mystring.h"
#include "variables/variable.h"

// The class of the tree's root ("globals").
class CregistryHolderVar : public CdirectoryVar {
  public:
    int getType() override { return TYPE_REGISTRY_HOLDER; }

    Cstring holderText;
};

// The root the registry was registered into (null before createRegistryAndRegisterVars).
extern CdirectoryVar* registries;

// Registry options (key in quotes).
extern short batterySaver;                   // "batterySaver"
extern short specialMode;                    // "special" (not saved)
extern int numRuns;                          // "runs"
extern float aquaVersion;                    // "version"
extern Cstring modules;                      // "modules" (not saved)
extern int moduleUpdateDate;                 // "updateDate" (not saved)
extern Cstring contactEmail;                 // "contact"
extern int lastUpdate;                       // "lastUpdate"
extern int updateDays;                       // "updateDays"
extern int numRunsThisVersion;               // "runsTV"
extern float whatsNewVersion;                // "whatsNewVersion"
extern short languageNum;                    // "languageNum"
extern Cstring languageCode;                 // "languageCode"
extern int maxFishPerTank;                   // "maxFishPerTank"
extern int lifetimeRunMinutes;               // "lifeMins"
extern Cstring activeTimes;                  // "actvTms"
extern short openGLMode;                     // "oglmd"
extern short runPriority;                    // "runPriority"
extern float newestVersion;                  // "newestVersn"
extern unsigned int m_userFlags;             // "uflags"
extern short phoneHomeMode;                  // "phoneHmMode"
extern short phoneHomeThisRun;               // "nextRunPhHm"
extern short countdownToSendExtraHttpString; // "extraHttp"
extern short midBit;                         // "midbit"
extern float m_fishGlobalScalar;             // "fsSz"
extern short xWell;                          // "xwell"
extern short allScreensSaver;                // "allSS"
extern short m_noSaveTankChanges;            // "nstch"
extern short soundOff;                       // "soundOff": 1 plays no sound at all

// Registers every key under globalVariablesDir (the argument is used only while there is
// no root yet) and sets the option defaults; returns the root.
CdirectoryVar* createRegistryAndRegisterVars(CdirectoryVar* root);
// Restores the defaults of the options (those the command line set for this run stay for it,
// the registry keeping the defaults); returns 1.
int setRegistrySettingsToDefaults();
// Writes the saved keys under root to path as script text, safely (the old file stays
// until the new one is complete). 0 written; 1 when there is nothing to save or the
// write failed.
int saveRegistryTree(CdirectoryVar* root, char const* path);
// The text saveRegistryTree writes.
std::string registryText(CdirectoryVar* root);
// The registry's values that count the program's starts: what runs that ended beside another
// left of the registry adds to them (support/keptText.h).
std::vector<std::string> const& registryStartCounts();

// Options the command line set for its run only (each below 0 when not given): the globals
// take them, while "registry.txt" goes on keeping the values they replaced. Set after the
// registry is read; their end puts the kept values back.
void setOptionsForThisRun(int fishPerTank, float fishSize, int noSaveTankChanges);
void endOptionsForThisRun();
// The options sheet closes: an option it changed is kept as the sheet keeps it.
void keepOptionsTheSheetChanged();
// The most fish in a tank as the registry keeps it, whatever this run's command line says.
int keptMaxFishPerTank();

// The ranges the options sheet offers; options read from "registry.txt" are brought into them.
constexpr int kFishPerTankMin = 1, kFishPerTankMax = 110;
constexpr float kFishSizeMin = 0.5f, kFishSizeMax = 2.0f;
constexpr int kUpdateDaysMin = 7, kUpdateDaysMax = 180; // below 0: never
// Brings every option into the range the options sheet offers, tracing each one changed;
// the number changed.
int clampRegistryOptions();

// The values of the registry and the children of its root, to put back when a registry file
// that failed part-way is set aside: none of its lines apply.
class CregistryValues {
  public:
    explicit CregistryValues(Cvariable* root);
    // Puts back every value taken and removes the children made since.
    void restore();
    // Undoes what a file's lines did, this taken before they ran and `after` once they had:
    // each value under root that still holds what they left goes back, and a child they made
    // goes. Found by name, the nodes taken may be gone; what changed since stays.
    void undoChanges(Cvariable* root, CregistryValues const& after) const;

  private:
    struct Taken {
        Cvariable* node;
        Cstring name;
        std::vector<unsigned char> bytes; // a number link's elements as stored
        std::vector<Cstring> texts;       // a text link's elements, or a value kind's text
    };
    static void putBack(Taken const& t, Cvariable* node);
    Taken const* named(Cstring const& name) const;
    Cvariable* root;
    std::vector<Taken> taken;
};
