// Update packages ("VL_update.vli"): a byte stream of six-letter commands that write files
// into the data folder, make folders, rename and delete files, set registry values, show
// messages, open web pages and run engine scripts.
//
// A command is six characters followed at once by its arguments: lines (up to the next
// line feed, at most 998 characters), paths (lines resolved through the path table) and
// blocks (a byte count in a line, or in four characters for "misc__", then the raw bytes).
//
// A package is untrusted. It is read through once before anything is done: a package
// that is truncated, larger than its leading size announcement ("prgssz"), holds an
// unknown command, a malformed count, an over-long line or a block larger than allowed, or
// names a path outside the data folder (absolute, with "..", or through a link that leads
// out) is refused whole, and nothing is written.
// Scripts it carries run as network scripts. What can only fail while the package runs
// (a file that cannot be written, a rename or deletion that fails) stops it or is noted
// as the commands say; the files it has not reached by then are untouched.
#pragma once

#include <cstdint>
#include <istream>

#include "support/mystring.h"

// Results of running a package.
enum { VLI_EXIT0 = 0, VLI_STOPPED = 1, VLI_FAILED = 2 };

// Limits of a package.
constexpr long long kMaxPackageBytes = 64ll << 20;
constexpr long long kMaxPackageFileBytes = 64ll << 20;
constexpr long long kMaxPackageScriptBytes = 256ll << 10;
constexpr int kMaxPackageLine = 998;
constexpr int kMaxPathEntries = 10;

// Reads a package as raw bytes.
class CdiskFileScript {
  public:
    // Reads in from its current position up to byte end.
    CdiskFileScript(std::istream& in, long long end);
    // Reads up to n bytes; the number read.
    int Read(char* buffer, int n);
    // Reads one line (its line feed consumed, not stored) of at most n - 1 characters.
    // The length of the line; -1 at the end of the input before a line feed, -2 when the
    // line is longer than n - 1 characters (the input is then left inside the line).
    int ReadString(char* buffer, int n);
    // Copies n bytes of the package into a new file at path (a full path) in pieces of
    // at most 1024 bytes: written beside it first, then put in its place, never through
    // a link. 0 written; 1 when the file could not be made (the bytes are not consumed);
    // 2 when writing failed after the bytes were read.
    int ReadFile(char const* path, unsigned n);
    // Skips n bytes; false when fewer are left.
    bool Skip(long long n);
    long long remaining() const { return end - position; }

  private:
    std::istream& in;
    long long position;
    long long end;
};

namespace updatePackage {

// The key and folder table (at most kMaxPathEntries): a key already present is not
// entered again.
void addPath(char const* key, char const* folder);
// The folder of the first entry whose key begins the text; "" when none does.
Cstring findPath(char const* text);
void clearPaths();
int pathCount();

// A package path resolved: "[KEY]rest" lies under the key's folder, any other relative
// path under the "RSC" folder; backslashes become "/" and a trailing carriage return goes.
// folder is the folder it was taken relative to (the package's current folder after it).
// False (with the reason) for an absolute path, an unknown key or an empty path.
bool processDirectories(char const* path, Cstring& resolved, Cstring& folder, Cstring& why);
// True when the full path lies inside the data folder, no ".." among its pieces and no
// link along it leading out.
bool insideDataFolder(Cstring const& full);
// Makes every folder named by a prefix of the full path that ends before a "/"; 0 when
// they all exist afterwards.
int createDirectories(Cstring const& full);

// Runs the package file at path from byte offset: VLI_EXIT0 when it ended with
// "exit0_", VLI_STOPPED for "exit1_", an unknown command or a file that cannot be
// opened, VLI_FAILED when it is refused, truncated or a file could not be written.
int runScript(char const* path, long long offset);

// The rerun key ("msgbox" answers, "runcmd"), the last error message (failed renames and
// deletions) and the package error (empty while none).
extern Cstring rerunKey;
extern Cstring errorMessage;
extern Cstring vliScriptError;

} // namespace updatePackage
