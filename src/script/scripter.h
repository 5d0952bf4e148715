// Scripts: parsing script text into line trees and running them against any node.
//
// Every handler and run function answers a commandResult: CMD_DONE (go on),
// CMD_NOT_HANDLED (not handled here) or CMD_STOP (failed, or an exit is pending). A line goes first to the
// built-in command table and then to the target's processCommand, which climbs the target's parents.
#pragma once

#include <cstddef>
#include <cstdint>

#include "script/scriptLine.h"
#include "support/mystring.h"
#include "variables/variable.h"

class CmemoryChunkVar;

// A script: the lines of a file or a text.
class CscriptVar : public CscriptContainer {
  public:
    ~CscriptVar() override;
    int getType() override { return TYPE_SCRIPT; }
    int getClass() override { return CLASS_SCRIPT; }
    char const* getClassName() override { return "SCRIPT"; }
    // ":addScript name" / ":script name"; the tree writer adds the lines as a block.
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;

    // Replaces the lines with those parsed from text (NUL-terminated). 1 when the parse
    // failed or an exit is pending (scriptError or exitSaver set afterwards), else 0.
    int processStringScript(char const* text);
    // The same for text of a known length, which may carry binary blocks (NULs).
    int processStringScript(char const* text, size_t length);
    // Reads a script file (resource packages first, see CresourceStreamer) and parses it.
    // 0 on success, 1 when the file could not be read or the parse failed.
    int processDiskScript(char const* path);
    // Deletes the lines and forgets the file.
    void clearScript();

    Cstring fileName;
    Cstring diskPath;     // folder of the file, as justPath gives it
    uint8_t fromDisk = 0; // 1 once filled from a file
    // 1 when the last parse reached the end of the text inside an open block: the text was
    // cut short (the lines made so far stay).
    uint8_t endedInOpenBlock = 0;
    uint8_t endedInOpenQuote = 0; // 1 when the last parse reached the end inside a quoted text
    uint8_t syntaxFailed = 0;     // 1 when the last parse stopped on a syntax error

  private:
    int parse(char const* text, size_t length);
    // Reads path whole through the resource streamer and parses it.
    int readDiskScript(char const* path);
};

// The state of one parse.
class CparsingInfo {
  public:
    CparsingInfo(char const* text, size_t length);

    // Start and length of the next chunk (a token, command, brace or comment mark), or
    // null at the end. A chunk of length 0 carries nothing and is skipped.
    char const* getNextChunk(int& length);
    // Parses lines into parent until the end of the text or the "}" closing the block.
    void loadLines(Cvariable* parent);

    char const* cursor;
    int32_t atEnd = 0;
    uint8_t inLineComment = 0;
    uint16_t quoteCount = 0;
    uint8_t binaryChunk = 0;

    // Set when the parse must stop: a syntax error or a "}" at the top level.
    bool stopped = false;
    bool syntaxError = false;
    bool endedInOpenBlock = false; // the text ended before a block's "}"
    bool endedInOpenQuote = false; // the text ended inside a quoted text

  private:
    void failSyntax(char const* reason);
    char const* binaryBlock(int& length);

    char const* end;             // one past the last byte of the text
    bool chunkEndedLine = false; // the chunk just returned ended at a line end
    int depth = 0;               // block nesting of loadLines
};

// The context of one run of a line list, handed to every processCommand.
class CscriptHandler {
  public:
    Cvariable* thisObject = nullptr;
    Cstring text1;
    Cstring text2;
    Cstring text3;
    uint8_t flag1 = 0;
    uint8_t flag2 = 0;
    uint8_t flag3 = 0;
    uint8_t flag4 = 0;
};

// True for CMD_NOT_HANDLED and CMD_STOP.
inline bool scriptFailed(int code) {
    return code == CMD_NOT_HANDLED || code == CMD_STOP;
}

// ---- globals of the interpreter ----
extern int16_t scriptError;       // set by any parse or run error; never cleared here
extern Cstring scriptName;        // the script file being run (for messages)
extern Cstring scriptDiskPath;    // folder of the script file being run
extern Cstring currentScriptName; // shown through the registry variable "currentScriptName"
extern int originalScript;        // fromDisk of the CscriptVar being run
extern int scriptRunDepth;        // runScriptLines calls in progress
// Deeper nested runs stop with the exit reason "scripts nested too deeply".
constexpr int kMaxScriptRunDepth = 100;

// ---- running ----
// Runs a script, a directory of lines or a line list against target.
int runScript(Cvariable* target, Cvariable* script);
// Finds the script by path from target and runs it; 0 when not found.
int runScript(Cvariable* target, char const* path, bool* found);
int runScript_(Cvariable* target, CscriptVar* script);
// Runs firstLine and its following siblings.
int runScriptLines(Cvariable* target, Cvariable* firstLine);
// Parses text into a temporary script and runs it; text shorter than 5 characters runs
// nothing. 1 when the text does not parse (or an earlier script error is pending).
int runStringScript(Cvariable* target, char const* text);
// Reads a script file into a temporary script and runs it.
int runDiskScript(Cvariable* target, char const* path);
// Reads a script file of the resources and runs it on target; true when it read and ran. A
// file of the resource copy that fails to read or to run is copied again from the install
// folder and run once more; one the install folder does not hold is removed from the copy
// and its failure forgotten.
bool runResourceScriptFile(Cvariable* target, char const* path);

// Runs a script file the data folder keeps (settings, registry) on target. A file that does
// not parse or whose run fails is renamed "<path>.damaged" (or ".damaged2" and so on, the
// new name into setAsideAs when given), the failure is logged and forgotten instead of
// ending the run, and the caller goes on from its defaults.
enum : int { KEPT_FILE_RAN = 0, KEPT_FILE_UNREAD = 1, KEPT_FILE_SET_ASIDE = 2 };
int runKeptScriptFile(Cvariable* target, char const* path, Cstring* setAsideAs);

// ---- the built-in command table ----
using BuiltinCommand = int (*)(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
// Hands the line to the first built-in whose keyword equals the command word; sets *next
// to the line to run after it. CMD_NOT_HANDLED when no built-in handles the line.
int processCommandMain(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
// Installs the handler of a keyword of the table (null removes it, so the line goes on to
// the target). 0 done, 1 when the keyword is not in the table.
int setBuiltinCommand(char const* keyword, BuiltinCommand handler);
// The handler installed for keyword, or null.
BuiltinCommand getBuiltinCommand(char const* keyword);
