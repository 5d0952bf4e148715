// Shared data arrays: counted references and requests by name.
//
// An object that samples a data array holds a plain CdataArray* field. A
// CdataArrayReference binds such a field to a shared array: the array is found by name
// along a fixed list of tree and disk paths, loaded once, filed in the shared resource tree
// under "resources/", and freed when the last reference that counts it goes.
#pragma once

#include <cstdint>
#include <vector>

#include "data/imageIO.h"
#include "data/managedList.h"
#include "support/mystring.h"
#include "variables/safeRelationship.h"

class CdataArray;
class CscriptLine;
class imageFile;

// The tree below which requests find shared objects and file new ones (the shop keeper's
// tree once it exists). Null: the root of the variable tree is used.
extern Cvariable* sharedResourceTree;
// sharedResourceTree, or globalVariablesDir while that is unset.
Cvariable* sharedResourceBase();
// A file path as a path in that tree: empty and "." segments dropped and ".." taking back
// the segment before it (never climbing above the tree), so that an object filed for an
// absolute, "./" or "../" path is found there again by any route to the same file.
Cstring resourceTreePath(char const* path);
// The path of file in folder, as a path in that tree.
Cstring resourceTreePath(char const* folder, char const* file);

// Device texture limits and decode divisors copied into every image loaded for an array.
extern int32_t maxTexWidth;
extern int32_t maxTexHeight;
extern int32_t globalImageSizeReducerX;
extern int32_t globalImageSizeReducerY;

class CdataArrayReference : public CsafeRelationship {
  public:
    // Unbound: no array, no owner field, no path.
    CdataArrayReference() = default;
    // Releases the array and clears the owner's field.
    ~CdataArrayReference() override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    void writeUnregisteredData(std::ostream& out, int indent) override;
    int getType() override { return TYPE_DATA_ARRAY_REFERENCE; }

    // Binds a new empty array of the kind with that many dimensions (0: plain CdataArray).
    void allocateDataArray(int kindDims = 0);
    // Releases the current array, then binds a (null leaves the reference unbound): the
    // array becomes this reference's child, flagged 0x2 and 0x2000000, and counts it.
    void setRealThing(CdataArray* a);
    // Drops this reference's count on its array; frees the array when it was the last.
    void unsetRealThing();
    // Binds the shared array named file, searched in folder, and writes it into the owner's
    // field. 0 bound; 1 not found ("Couldn't find array %s in %s %s" recorded).
    int requestArray(char const* file, char const* folder);

    // ---- image scripts (dataArrayImageScript.cpp) ----
    // Starts an image script: no image altered, the work images cleared, an array bound,
    // path = the reference's folder + "/".
    void preScript();
    // One image command; other command words go to the parent (2 without one).
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // Ends an image script: the array adopts the last altered image's pixels (not while
    // the saver is exiting).
    void postScript();

    CdataArray* array = nullptr;
    CdataArray** ownerSlot = nullptr;
    Cstring path;
};

// A new unbound reference named name under parent that mirrors its array into *slot; null
// when the parent refuses children (recorded).
CdataArrayReference* registerDataArrayPointer(Cvariable* parent, CdataArray** slot, char const* name);
// registerDataArrayPointer, then requestArray(file, folder of pathInFolder). Always 0; a
// failure is recorded by requestArray.
int registerDataArrayAndLoad(Cvariable* parent, CdataArray** slot, char const* name, char const* file,
                             char const* pathInFolder);

// The shared array named name (folder may be null), loaded and filed on first request.
// chans -1 means any; fewer channels than asked are reported but still returned. A
// new entry is made by makeEntry when given (a texture, say). Null when nothing is found or
// the file does not load.
CdataArray* requestDataArrayOrMake(char const* name, char const* folder, short chans,
                                   CdataArrayReference* (*makeEntry)());
CdataArray* requestDataArray(char const* name, char const* folder, int chans);

// The array of the reference at path below parent; null with "bad daf" (not a reference)
// or "dar not found" recorded.
CdataArray* findDataArrayOrExit(Cvariable* parent, char const* path);

// ---- loading (dataArrayLoading.cpp) ----
// Whether the path names a file loaded as an image (suffix "sgi", "rgb" or "alpha").
bool isImageFileName(Cstring const& path);
// Loads a file into a by its suffix: "sgi", "rgb" and "alpha" as images, anything else as
// an array file. 0 loaded, 1 failed.
int loadDataArrayWrapper(CdataArray* a, Cstring& path, int chans);
// Loads an image, serving ".sgi" names by their ".jpg" colour and ".alpha" files as chans
// asks (1 the alpha, 3 the colour, 4 both). 0 loaded, 1 failed.
int loadSGI(imageFile& img, Cstring const& path, int chans);
// The colour file into img with the alpha file's first channel as its fourth; a missing
// alpha gives an opaque image. 0 loaded; 1 when the colour file does not load or decodes
// to width 0.
int loadRGBA(imageFile& img, Cstring colourFile, Cstring alphaFile);
// Hands img's pixel block to a (no copy): a becomes a byte image of img's size and
// channels over 0..1. 0 done; 1 for an image without pixels.
int imageIOtoDataArray(CdataArray& a, imageFile& img);
// The dimension count an array file declares ("AAC0" header; 3 for "VOXL"); 0 when the
// file is missing or of another kind.
int dataArrayFileDims(char const* path);

// ---- image scripts (dataArrayImageScript.cpp) ----
// The work images of the image script being run, and the image its last command made or
// changed (null at the start of a script). One image script runs at a time.
extern CmanagedList<imageFile> images;
extern imageFile* lastImageAltered;

// Reads a script line's arguments from below the script layer, which fills these in.
struct ClineArguments {
    Cstring (*word)(CscriptLine& line);
    int (*count)(CscriptLine& line);
    // Token i as written; empty outside the tokens.
    Cstring (*raw)(CscriptLine& line, int i);
    // Token i through the expression solver; a missing token is a recorded script error.
    double (*number)(CscriptLine& line, int i);
    Cstring (*text)(CscriptLine& line, int i);
};
extern ClineArguments lineArguments;

// A file name relative to folder: "@" or "/" first gives the name without it, a second
// character ":" the name as it is, anything else folder + the name without a leading "!".
Cstring buildPath(char const* name, char const* folder);
// img borrows a's buffer (edits change a in place): a's width, height and channels, float
// pixels for float data. 0 done; 1 (img left empty) when a holds no buffer that fits.
int imageFileReferenceCopyOfDataArray(imageFile* img, CdataArray* a);
// Each token "-" + lowercase letter: the word without "-" into words, its index + 1 into
// positions. Returns 0.
int commandize(CscriptLine& line, std::vector<Cstring>& words, std::vector<int>& positions);
