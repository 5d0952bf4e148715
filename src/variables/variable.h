// The named variable tree.
//
// Every configurable object of the engine is a Cvariable: a name, a parent, an ordered
// singly linked list of children, a 32-bit flag word, a class code and a type code,
// typed value access, a script-command hook and the save/load hooks. A node owns its
// children: destroying a node destroys them (see deleteVariable for deferred deletion).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "support/mystring.h"

class CscriptHandler;
class CscriptLine;
class Cvariable;
class CdirectoryVar;
class CmanagedResourceVar;

// Flag bits of Cvariable::flags.
enum : unsigned {
    VAR_SAVE = 0x1,                  // written to settings text
    VAR_NOT_DELETED_BY_PARENT = 0x2, // the parent only unhooks it
    VAR_INVISIBLE_SAVE = 0x4,        // own line omitted, children still written
    VAR_SAVE_ALL_CHILDREN = 0x8,
    VAR_SAVE_COMMAND = 0x10, // ":save name" written after the node
    VAR_DEFER_DELETE = 0x20, // deleteVariable moves it into a trash directory
    VAR_IN_TRASH = 0x40,
    VAR_DIRECTORY = 0x100,
    VAR_LINK = 0x200,         // value lives elsewhere
    VAR_TEARING_DOWN = 0x400, // relationship side being torn down
    VAR_BEING_DELETED = 0x800,
    VAR_HAS_STRING = 0x1000,
    VAR_HAS_NUMBER = 0x2000,
    VAR_READ_ONLY = 0x4000,
    CHILDREN_ARE_ARRAY = 0x8000,
    VAR_ARRAY_ELEMENT = 0x20000,
    VAR_REGISTERED = 0x40000, // children are not written as nodes
    VAR_OWNS_STORAGE = 0x80000,
    VAR_APPEND_CHILDREN = 0x100000,
    VAR_SLAVE_LINK = 0x200000,
    DO_PREPARE_FOR_DELETE = 0x400000,
    VAR_HAS_SLAVES = 0x800000,
    VAR_UNIQUE_DIRECTORIES = 0x1000000, // addDirectory never reuses a child
    VAR_REFERENCE_COUNTED = 0x2000000,
    VAR_BINARY_MERGE = 0x4000000,
};

// Class codes (getClass, makeVariable, the binary tree file).
enum : int {
    CLASS_VAR = 1,
    CLASS_FAST_CHILD_ARRAY = 2, // built by makeVariable; the node itself reports 1
    CLASS_SHORT = 3,
    CLASS_INT = 4,
    CLASS_FLOAT = 5,
    CLASS_STRING = 6,
    CLASS_LINK = 7,
    CLASS_INT_LINK = 8,
    CLASS_FLOAT_LINK = 9,
    CLASS_STRING_LINK = 10,
    CLASS_SHORT_LINK = 11,
    CLASS_SCRIPT = 12,
    CLASS_SCRIPT_LINE = 13,
    CLASS_ARRAY = 14,
    CLASS_POINTER = 15,
    CLASS_DIRECTORY = 16,
    CLASS_VARIABLE_LINK = 17,
    CLASS_ROTATER = 18,
    CLASS_RESOURCE_FILE = 19,
    CLASS_MEMORY_CHUNK = 20,
};

// Type codes (getType, the searches by type). Not unique across the program.
enum : int {
    TYPE_VAR = 0,
    TYPE_SHORT = 3,
    TYPE_INT = 4,
    TYPE_FLOAT = 5,
    TYPE_STRING = 6,
    TYPE_LINK = 8,
    TYPE_POINTER = 9,
    TYPE_DIRECTORY = 10,
    TYPE_SCRIPT = 11,
    TYPE_SCRIPT_LINE = 12,
    TYPE_ARRAY = 13,
    TYPE_DATA_ARRAY_REFERENCE = 15,
    TYPE_VARIABLE_LINK = 23,
    TYPE_REGISTRY_HOLDER = 25,
    TYPE_SHOP_KEEPER = 26,
    TYPE_TANK = 27,
    TYPE_FISH = 29,
    TYPE_THING = 30,
    TYPE_SAFE_RELATIONSHIP = 31,
    TYPE_RELATIONSHIP = 32,
    TYPE_TEXTURE_IMAGE = 34,
    TYPE_IMAGE_BOX = 36,
    TYPE_IMAGE_WIDGET = 37,
    TYPE_TEXT_WIDGET = 38,
    TYPE_WIDGET = 39,
    TYPE_GROUP_WIDGET = 40,
    TYPE_ROTATER = 42,
};

// Live Cvariable objects: +1 in every constructor, -1 in the destructor.
extern int allocedVariables;
// Root of the tree ("globals"), made at start-up by the shop keeper; null before.
extern CdirectoryVar* globalVariablesDir;
// Global trash holder that emptyTrash empties; lives for the whole process.
extern Cvariable* variableTrashDir;

// What a command handler tells the runner: every processCommand and built-in command returns it.
enum commandResult : unsigned { CMD_DONE = 0, CMD_NOT_HANDLED = 1, CMD_STOP = 2 };

class Cvariable {
  public:
    Cvariable();
    Cvariable(Cvariable const&) = delete;
    Cvariable& operator=(Cvariable const&) = delete;

    // ---- virtual operations, in slot order ----
    virtual ~Cvariable();
    // Links the node under parent: prepends unless append or the parent has 0x100000.
    virtual void setParent(Cvariable* parent, int append);
    // Slave notification: 1 the master's value changed, -1 the master is going away.
    virtual void messageFromMaster(int message, Cvariable* master);
    // Releases an adopted child array headed by this element (base: nothing).
    virtual void deleteArrayOfMeStartingWithMe();
    virtual int update();
    virtual void setDiskPath(Cstring const& path);
    // The object's own trash directory (see deleteVariable); null by default.
    virtual Cvariable* getTrashDir();
    virtual Cstring getDiskPath();
    virtual void setNumElements(int count);
    // Hook to supply a child that getChild did not find by name.
    virtual Cvariable* getChildMorePossibilities(char const* name, int index);
    virtual void trickleDownPreChildProcessingMessage(int message, void* data);
    virtual void trickleDownPostChildProcessingMessage(int message, void* data);
    virtual Cvariable* getFirstTrickleDownChild();
    // Persistence hooks (settings text and binary tree file).
    virtual void prepForSaveConfig();
    virtual void saveConfigExtra(std::ostream& out, int indent);
    virtual void saveConfigClassMembers(std::ostream& out, int indent);
    virtual void saveCommand(std::ostream& out, int indent);
    virtual void saveBinary(std::ostream& out);
    virtual void saveBinaryClassMembers(std::ostream& out);
    virtual void writeConfigString(std::ostream& out);
    virtual void writeSaveString(std::ostream& out);
    virtual void writeUnregisteredData(std::ostream& out, int indent);
    virtual void writeBinaryData(std::ostream& out);
    virtual void readBinaryData(std::istream& in);
    virtual int instanceManaged();
    virtual int processLoadTokens(std::vector<Cstring>& tokens, int first, int count);
    // Called after the node and its children were read from a binary tree.
    virtual int postLoadInitialization();
    // CMD_DONE handled, CMD_NOT_HANDLED nobody up to the root handled it, CMD_STOP the
    // running script must stop (an exit is pending).
    virtual unsigned processCommand(CscriptHandler* handler, CscriptLine& line);
    // Last chance to detach from partners while the tree is intact.
    virtual void prepareForDelete();
    // Told as child leaves this node's list (deleted or moved), so no pointer to it is kept.
    virtual void childLeaving(Cvariable*) {}
    virtual int getType();
    virtual char const* getClassName();
    // 0 and value set when the node knows the name, else 1 and value untouched.
    virtual int getLocalConstant(Cstring name, double& value);
    virtual int getClass();
    virtual int isDirectory();
    virtual char const* operator=(char const* text);
    virtual operator char const*();
    virtual Cstring getSaveString();
    virtual void setFloat(double value);
    virtual void setString(char const* text);
    virtual void setInt(int value);
    virtual double getFloat();
    virtual int getInt();
    virtual char const* getString();
    // Element accessors; the base holds no value and records an exit reason.
    virtual void setElem_char(unsigned short index, char const* text);
    virtual char const* getElem_char(unsigned short index);
    virtual void setElem_float(unsigned short index, double value);
    virtual double getElem_float(unsigned short index);
    virtual void setElem_int(unsigned short index, int value);
    virtual int getElem_int(unsigned short index);
    virtual int elements();
    // Marker written before an array element's value ("#" int, "^" short).
    virtual char const* typePrefix();

    // ---- naming and flags ----
    void setName(char const* text);
    void setName(Cstring const& text);
    Cstring const& getName() const { return name; }
    void setFlag(unsigned mask, bool on);
    void unsetFlag(unsigned mask) { flags &= ~mask; }
    bool hasFlag(unsigned mask) const { return (flags & mask) != 0; }
    void setSave(int on);
    int doSave() const { return flags & VAR_SAVE; }
    void setDelete(int deletable);
    void setInvisibleSave() { flags |= VAR_INVISIBLE_SAVE; }
    void setSpecialSave(int on);
    void setMyChildrenSaveFlagsBasedOnNamesInDir(Cvariable* dir);

    // ---- linking ----
    // Adopts child (the node owns it from then on); returns child, or null (child not
    // adopted) when this node's children are an adopted array.
    Cvariable* addVariable(Cvariable* child, int append = 0);
    // makeVariable + addVariable; null when the class code is unknown.
    Cvariable* addVariableX(char const* name, int classCode, int append = 0);
    // The same-named directory child, or a new CdirectoryVar (always new under 0x1000000);
    // null when this node's children are an adopted array.
    CdirectoryVar* addDirectory(char const* name, int append = 0);
    // Takes the node out of its parent's list; clears parent and next links.
    void unhook();
    // Splices the node out of its parent's list (without a parent: clears next only).
    void detachFromSiblings();
    // Raw list edits: prepend / append child; neither sets the child's parent.
    void insertToChildList(Cvariable* child);
    void appendToChildList(Cvariable* child);
    // Reorder within the parent's list.
    void setAsFirstChild();
    void setAsLastChild();
    void reverseChildren();
    // Appends the whole child list after newParent's last child; this node ends empty.
    void moveChildListToNewParent(Cvariable* newParent);
    // Moves each child with any bit of mask under newParent (prepended), in list order.
    void reparentChildrenWithFlag(unsigned mask, Cvariable* newParent);
    // Keeps the first count children (at least 1) and destroys the rest.
    void limitChildren(int count);

    // ---- lookup ----
    // Resolves a slash path: "/" from the root, "." this node, ".." the parent.
    Cvariable* findVariable(char const* path);
    // As findVariable; a miss records "couldn't find variable <path>".
    Cvariable* findVariableOrExit(char const* path);
    // index-th child named name; "prefix*" matches the first child starting with prefix.
    Cvariable* getChild(char const* name, int index = 0);
    // Child by position; out-of-range access is traced and yields null.
    Cvariable* getChild(int index);
    // Child by position walking the list; null past the end, silently.
    Cvariable* getChildNoErr(int index);
    // First child named name, its position stored in index; null when none.
    Cvariable* getChildAndIndex(Cstring const& name, int& index);
    bool hasChild(Cvariable* child);
    // Position of child; -1 without children; the last position when absent.
    int childNum(Cvariable* child);
    // Children whose getType() is type; all with -1.
    int countChildren(int type = -1);
    Cvariable* getLastChild();
    // Last node of the sibling chain starting here.
    Cvariable* goToLast();
    Cvariable* getRoot();
    int getMyDepthFromRoot();
    // Names from the root joined by separator; an empty name reads "unnamed".
    Cstring getFullPath(char separator = '/');
    void getFullPath(Cstring& out, char separator = '/');
    Cvariable* findFirstChildOfType(int type);
    // The skip-th node of that type from here on, wrapping to the parent's first child;
    // null and "fns error" after 10000 nodes.
    Cvariable* findNextSiblingOfType(int type, int skip);
    // Next sibling (direction 1) or previous one; wrap goes round the parent's list.
    Cvariable* marchNext(int direction, int wrap);
    // The child before child; null for the first or an absent one.
    Cvariable* findPreviousChildTo(Cvariable* child);
    // Appends the children whose names begin with prefix, in order.
    void findAndAddChildrenStartingWith(char const* prefix, std::vector<Cvariable*>& out);
    // out becomes the children in order; returns their count.
    int fillVectorWithAllChildren(std::vector<Cvariable*>& out);
    // Appends the names along the trickle-down list; returns how many.
    int fillVectorWithAllChildren(std::vector<Cstring>& out);
    // Pre-order over this node, its later siblings and their descendants; classCode -1 for all.
    void traverseAndCallback(void* context, void (*callback)(void*, Cvariable*), int classCode);
    // Pre hook, then each trickle-down child depth first, then post hook.
    void trickleDownMessage(int message, void* data);
    // Lists the children (at most 1000) to out, or to the trace without a stream.
    void showChildren(std::ostream* out = nullptr);
    // Each child's name to the verbose trace.
    void showDir();
    // Appends children of that class and name until index exists (kinds 3 to 5 get value);
    // returns child index.
    Cvariable* padWithChildrenAndGet(char const* name, int index, int classCode, float value);

    // ---- settings text and binary tree file (variableSaverLoader.cpp, variableBinaryFile.cpp) ----
    // Writes this node (with keepSiblings also its later siblings) as settings text, safely.
    // 0 written, 1 when the file could not be opened or written.
    // A run that took the data folder late writes only what it changed (support/keptText.h).
    int saveSettings(char const* path, bool keepSiblings, bool all);
    // The text saveSettings writes.
    std::string settingsText(bool keepSiblings, bool all);
    // Writes this node and its later siblings in the settings form.
    void saveConfig(std::ostream& out, int indent, int all);
    // Writes the children as dump text or (binary) as a "DBT" file; to stream, or to path
    // when stream is null. 0 on success, 1 when the stream failed.
    int saveTree(char const* path, short binary, std::ostream* stream = nullptr);
    // Reads a "DBT" file into this node: 0 on success, 1 on a wrong magic, a missing file
    // or malformed data.
    int loadBinaryChildren(std::istream& in);
    int loadBinaryChildren(Cstring path);

    // ---- deletion ----
    // deleteVariable of the first child of that name, when there is one.
    void deleteChild(char const* name);
    // Destroys every child (children with 0x2 are only unhooked).
    void deleteChildren();

    // ---- register calls: expose a field of this object as a named child link ----
    // Each returns the new link, prepended under this object, bound to the field, with the
    // save flag from save. The field must outlive the link (own members only).
    Cvariable* registerInt(int& field, char const* name, int save);
    Cvariable* registerShort(short& field, char const* name, int save);
    Cvariable* registerFloat(float& field, char const* name, int save);
    Cvariable* registerString(Cstring& field, char const* name, int save);
    Cvariable* registerPointer(void*& field, char const* name, int save);
    // An unnamed link to target.
    Cvariable* registerVariable(Cvariable* target);

    // ---- slave links: dependents told of value changes ----
    // Slave hears messageFromMaster(1) on every value change and -1 when this node dies.
    void addSlave(Cvariable* slave, char const* name = nullptr);
    // Tells every slave, newest first.
    void doNotifySlaves();
    // Value setters call this after storing, so a slave reads the new value.
    void notifySlavesIfAny() {
        if (flags & VAR_HAS_SLAVES) doNotifySlaves();
    }
    // The slave whose own or link name is name; null when none.
    Cvariable* getSlave(char const* name);
    // Drops the slave's link without telling it: 0, or 1 when it was not a slave.
    int removeSlave(Cvariable* slave);
    int removeSlave(char const* name);

    Cstring name;
    Cvariable* firstChild = nullptr;
    Cvariable* nextSibling = nullptr;
    Cvariable* parent = nullptr;
    unsigned flags = 0;
};

// A node that exists to hold children; base of every object that owns named parts.
class CdirectoryVar : public Cvariable {
  public:
    CdirectoryVar();
    ~CdirectoryVar() override;
    void setDiskPath(Cstring const& path) override { diskPath = path; }
    Cstring getDiskPath() override { return diskPath; }
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    void writeUnregisteredData(std::ostream& out, int indent) override;
    int getType() override { return TYPE_DIRECTORY; }
    int getClass() override { return CLASS_DIRECTORY; }
    // The script command that recreates the node: "cd" when kept by its owner, else "mkdir".
    virtual char const* scriptObjectAddCommand();

    // The directory child of that name, made when missing.
    CdirectoryVar* findDirectoryOrMake(char const* name, bool append);
    // The CarrayVar child of that name; null when absent or of another kind.
    Cvariable* getArray(char const* name);
    // Element index of the array of that name (made when missing), padded with "v" children.
    Cvariable* getArrayVarElementOrMake(char const* name, int index, int classCode, float value);
    // The text of a string child of that name, else defaultText.
    char const* getStringVarValueOrReturnDefault(char const* name, char const* defaultText);

    Cstring diskPath;
};

// Children are one contiguous adopted array of equal-sized variable objects.
class CfastChildArrayVar : public Cvariable {
  public:
    // Adopts count elements of stride bytes; refused when the node already has children.
    void addChildArrays(Cvariable* array, int count, int stride, int classCode);
    int childCount() const { return elementCount; }

    unsigned short elementStride = 0;
    unsigned short elementClass = 0;
    int elementCount = 0; // bounds getChild(int)
};

// Base of the widgets: deleteVariable moves it into its own trash directory.
class CvarTrashDestined : public Cvariable {
  public:
    Cvariable* getTrashDir() override { return trashDir; }

    Cvariable* trashDir = nullptr;
};

// A new unnamed, unlinked node of the class; null (and an exit reason) when unknown.
Cvariable* makeVariable(int classCode);
// The same without the exit reason, for readers of files that may name any class.
Cvariable* newVariableOfClass(int classCode);
Cvariable* makeVariable(char const* name, int classCode);
Cvariable* makeVariable(char const* name, char const* keyword);
// "var", "short", "int", "float", "string"/"s", "script", "array", "directory"/"dir".
int stringToVariableType(Cstring keyword);

// Runs prepareForDelete, then destroys the node now or moves it into a trash directory.
void deleteVariable(Cvariable* node);
// Destroys everything in variableTrashDir.
void emptyTrash();
// Traces the live-variable count (shut-down leak check).
void showRemainingVariables();
// Records the exit reason "<text> in var <name>".
void setExitSpecial(Cvariable* var, char const* text);
