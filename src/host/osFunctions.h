// Platform services of the OS namespace built on ChostServices: folders, the registry
// file, the copy of the installed resources, what the system tells about itself, dates
// and the hooks a windowed platform would need and this one does not.
#pragma once

#include <cstdint>

#include "host/hostServices.h"
#include "support/mystring.h"

class Cvariable;

extern Cstring osID;      // the system version word, set by OS::getOsVersion
extern Cstring machineID; // this machine's identifier ("m_" and 22 characters)

namespace OS {

// ---- folders, files and the registry
// Finds the install folder: sets `folder` (and installDir, macContentsDir) to the first
// candidate holding "defaults.txt" and returns 0; empties it and returns 1 when none does,
// with why (when given) naming the folders looked in and how to mend it.
int getInstallDir(Cstring& folder, Cstring* why = nullptr);
// The data folder followed by "settings.txt" / "registry.txt".
Cstring getSettingsFileName();
Cstring getRegistryFileName();
// Runs the registry file as a script into target. A missing file is a first run and reads
// nothing; a damaged one is set aside (runKeptScriptFile) and the options keep their defaults.
void readRegistryVarsInto(Cvariable* target);
// Saves the registry under the root of the tree; 0 written.
int storeRegistryStuff();
// Deletes file (path keywords expanded); 0.
int _revertToDefaults(Cstring file);
// Changes the working folder; 0, or -1 when it could not.
int CDtoDirectory(char const* folder);
// Replaces the data folder's "Resources" with the installed "global", "species" and
// "tanks" folders. Does nothing unless both folders are known (11 characters or more; an
// unknown install folder is no error here: the start fails on it already);
// records the error exit "couldn't locate resources!" when the copy lacks its noise table
// or the install folder lacks a piece. A copy that cannot be written (a full disk) is given
// up for the run, which reads the install folder's resources (giveUpResourceCopy); nothing
// is copied once it was, nor over a data folder that is only read.
void copyResourcesFromInstall();
// The stamp the build writes over the installed resource tree (a hash of its files).
constexpr char const* kResourceStamp = "resources.stamp";
// The record of which resources the tree holds (see loadDownloadedComponents).
constexpr char const* kComponentsRecord = "downloadedComponents.txt";
// True when the installed tree carries a stamp that the data folder's copy does not match
// (a copy from another build, or one that never finished).
bool installedResourcesChanged();
// The folder the engine reads its resources from, ending in "/": the data folder's copy, or
// the install folder itself where the data folder or the copy cannot be written.
Cstring resourceFolder();
// Runs the resource folder's "downloadedComponents.txt" into the root of the tree; 0.
int loadDownloadedComponents();
// Writes the save lines of "modules", "updateDate" and "rscVer" into that record while
// any module is listed.
void writeInstalledComponentsStatus();
// The file panel belongs to the view; these only trace. fileRequest returns 0.
int fileRequest(Cstring& file);
void ShellExec(char const* operation, char const* file, char const* parameters, char const* folder);

// ---- the system
// "m_" followed by 22 characters made from the platform identifier; "" when the system
// has no identifier (the caller then uses one made once and kept in the registry).
Cstring buildMachineID();
// "m_" followed by 22 characters from 16 random bytes.
Cstring makeRandomMachineID();
// Sets osID to the second word of the system's version text and returns its leading number.
float getOsVersion();
// The user's country: its two-letter code when code is true, else its name in English.
Cstring getCountry(bool code);
// The language code of the first preferred locale the program knows, else "en".
Cstring getSystemLanguage();

// ---- dates (from the host's clock)
// Whole days since 2006-01-11 17:20:00 UTC.
int getCurrentDateNumber();
// Seconds since 2006-01-09 04:01:00 UTC, in 32-bit arithmetic.
int getDateSecond();
// Hours since the same moment.
int getDateHour();
// The local date and time, asctime form with its line end; valid until the next call.
char const* getDateTime();

// ---- hooks a windowed platform would fill
int getRunMode(); // 99
int createSaverWindows();
int InitGraphics();
int closeSaver();
int checkMessages();
int openDetailLogging();
void _sleep(int);
void SleepMilliseconds(unsigned long);
void saverWindowsToBack();
void saverWindowsToFront();
void change3Dmode(short, short);

} // namespace OS
