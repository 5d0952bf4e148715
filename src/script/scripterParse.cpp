// Script text: chunks, comments, blocks and binary blocks into trees of script lines.
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/resourceStreamer.h"
#include "script/keptScriptFile.h"
#include "script/scripter.h"
#include "support/engineHooks.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/variableLinks.h"

namespace {

// Deeper than any real settings or tank file; bounds the parser's and runner's recursion.
constexpr int kMaxBlockDepth = 200;

bool startsWith(char const* chunk, int length, char const* prefix) {
    int n = static_cast<int>(std::strlen(prefix));
    return length >= n && std::memcmp(chunk, prefix, n) == 0;
}

} // namespace

CparsingInfo::CparsingInfo(char const* text, size_t length)
    : cursor(text ? text : ""), end((text ? text : "") + (text ? length : 0)) {}

void CparsingInfo::failSyntax(char const* reason) {
    scriptError = 1;
    syntaxError = true;
    stopped = true;
    setExitError(reason, 1);
}

char const* CparsingInfo::getNextChunk(int& length) {
    quoteCount = 0;
    binaryChunk = 0;
    chunkEndedLine = false;
    char const* start = nullptr;
    int parens = 0;
    bool inQuotes = false;
    for (;;) {
        if (cursor >= end || *cursor == '\0') {
            if (inQuotes && !inLineComment) endedInOpenQuote = true;
            atEnd = 1;
            length = start ? static_cast<int>(cursor - start) : 0;
            chunkEndedLine = true;
            return start;
        }
        char c = *cursor;
        if (c == '\n' || c == '\r') {
            if (inLineComment) {
                // The comment ends with its line; whatever it had started is dropped.
                inLineComment = 0;
                cursor++;
                length = 0;
                return start ? start : cursor;
            }
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            cursor++;
            if (start && parens == 0 && !inQuotes) {
                length = static_cast<int>(cursor - 1 - start);
                chunkEndedLine = c == '\n' || c == '\r';
                return start;
            }
            continue;
        }
        if (start == nullptr) {
            start = cursor;
            if (c == '"' && cursor + 1 < end && cursor[1] == '\0') return binaryBlock(length);
        }
        if (c == '"') {
            quoteCount++;
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            if (c == '(') parens++;
            // A stray ")" must not leave the depth below zero and swallow the rest.
            if (c == ')' && parens > 0) parens--;
        }
        cursor++;
    }
}

// A quote, a zero byte, a big-endian 32-bit length N, N data bytes and one closing byte.
char const* CparsingInfo::binaryBlock(int& length) {
    char const* start = cursor;
    size_t remaining = static_cast<size_t>(end - start);
    uint32_t n = 0;
    if (remaining >= 6) {
        unsigned char const* b = reinterpret_cast<unsigned char const*>(start + 2);
        n = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
    }
    if (remaining < 7 || n > remaining - 7 || n > static_cast<uint32_t>(INT_MAX - 7)) {
        failSyntax("syntax error in script");
        length = 0;
        return nullptr;
    }
    VTRACE(1, "special data quote  size=" << n << "  retsize=" << n + 7);
    binaryChunk = 1;
    quoteCount = 2;
    length = static_cast<int>(n + 7);
    cursor = start + length;
    return start;
}

void CparsingInfo::loadLines(Cvariable* parent) {
    if (++depth > kMaxBlockDepth) {
        failSyntax("script blocks nested too deeply");
        depth--;
        return;
    }
    CscriptLine* last = nullptr;
    bool inBlockComment = false;
    while (!stopped) {
        int length = 0;
        char const* chunk = getNextChunk(length);
        if (chunk == nullptr) {
            if (depth > 1 && !stopped) endedInOpenBlock = true;
            break;
        }
        if (length == 0) continue;
        if (inBlockComment) {
            if (!binaryChunk && startsWith(chunk, length, "*/")) inBlockComment = false;
            continue;
        }
        if (inLineComment) continue;
        if (!binaryChunk) {
            if (length == 1 && chunk[0] == '{') {
                if (last == nullptr) {
                    failSyntax("syntax error in script");
                    break;
                }
                loadLines(last);
                continue;
            }
            if (length == 1 && chunk[0] == '}') {
                if (depth == 1) stopped = true; // the rest of the text is ignored
                break;
            }
            if (startsWith(chunk, length, "/*")) {
                inBlockComment = true;
                continue;
            }
            if (startsWith(chunk, length, "//")) {
                if (!chunkEndedLine) inLineComment = 1;
                continue;
            }
            if (chunk[0] == ':') {
                if (last == nullptr && parent->firstChild) {
                    // A second block after one line.
                    failSyntax("missing ':' before cmd?");
                    break;
                }
                CscriptLine* line = new CscriptLine();
                line->name.assign(chunk + 1, length - 1);
                line->sourceIndex = parsingScriptSource;
                line->parent = parent;
                if (last)
                    last->nextSibling = line;
                else
                    parent->firstChild = line;
                last = line;
                continue;
            }
        }
        if (last == nullptr) {
            failSyntax("syntax error in script");
            break;
        }
        if (binaryChunk) {
            last->addToken(Cstring(), TOKEN_LITERAL);
            last->tokens.back().assign(chunk + 6, length - 7);
        } else {
            Cstring token;
            unsigned char type = classifyToken(chunk, length, token);
            last->addToken(token, type);
        }
    }
    depth--;
}

// ---- CscriptVar: filling and emptying ----

CscriptVar::~CscriptVar() {
    clearScript();
}

void CscriptVar::clearScript() {
    deleteChildren();
    fileName = "";
    diskPath = "";
    fromDisk = 0;
}

int CscriptVar::parse(char const* text, size_t length) {
    deleteChildren();
    CparsingInfo info(text, length);
    info.loadLines(this);
    endedInOpenBlock = info.endedInOpenBlock ? 1 : 0;
    endedInOpenQuote = info.endedInOpenQuote ? 1 : 0;
    syntaxFailed = info.syntaxError ? 1 : 0;
    VTRACE(2, "done reading script " << name);
    return (scriptError || exitSaver) ? 1 : 0;
}

int CscriptVar::processStringScript(char const* text) {
    return parse(text, text ? std::strlen(text) : 0);
}

int CscriptVar::processStringScript(char const* text, size_t length) {
    return parse(text, length);
}

int CscriptVar::processDiskScript(char const* path) {
    if (path == nullptr) return 1;
    name = path;
    fileName = path;
    diskPath = path;
    justPath(diskPath, -1);
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    // A script already failing fails any parse: nothing to judge the file by.
    if (scriptError) return readDiskScript(path);
    int result = 1;
    // A script of the resource copy that does not read whole is copied again and read once
    // more; a script cut short inside a block or a quoted text counts as not read.
    loadRenewingCopy([&] {
        scriptError = 0;
        result = readDiskScript(path);
        return result == 0 && !endedInOpenBlock && !endedInOpenQuote;
    });
    // What the copy cannot give file by file (a package, a file the install folder does not
    // hold, a copy of another version) is asked back whole for the next start.
    bool fromResourceTree = resourcesDir->lastFoundInPackage || pathInResourceCopy(path);
    if (syntaxFailed && fromResourceTree && installedResource(path).empty()) askForResourceCopyBack();
    return result;
}

int CscriptVar::readDiskScript(char const* path) {
    syntaxFailed = 0;
    endedInOpenBlock = 0;
    endedInOpenQuote = 0;
    resourcesDir->setExtraFileLoadMemoryAlloc(1);
    size_t n = std::strlen(path);
    resourcesDir->checkDiskOnce = (n >= 3 && std::strcmp(path + n - 3, "txt") == 0) ? 1 : 0;
    CmemoryChunkVar chunk;
    if (!resourcesDir->loadFile(path, chunk)) {
        VTRACE(1, "script not found: " << path);
        return 1;
    }
    fromDisk = 1;
    // Each line keeps the file it came from.
    int outerSource = parsingScriptSource;
    parsingScriptSource = scriptSourceIndex(path);
    int result = parse(reinterpret_cast<char const*>(chunk.data), chunk.data ? chunk.size : 0);
    parsingScriptSource = outerSource;
    return result;
}

void CscriptVar::writeConfigString(std::ostream& out) {
    out << ":addScript " << name;
}
void CscriptVar::writeSaveString(std::ostream& out) {
    out << ":script " << name;
}
