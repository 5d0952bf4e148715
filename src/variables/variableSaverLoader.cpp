// The text forms of the tree: the settings writer (saveSettings/saveConfig, only nodes
// marked for saving) and the dump writer (saveTree text mode/saveCommand, every node).
//
// Quoting. The script reader splits a line at blanks, takes a token that begins with a
// double quote and holds exactly two as one literal (blanks, braces and "$" included) and
// has no escape inside quotes. So a text value is written:
//   - bare, where the settings form has it bare and the bare text reads back as itself;
//   - between double quotes otherwise;
//   - as the reader's binary block when it holds a double quote or a NUL byte: a double
//     quote, a zero byte, the length as 4 bytes big-endian, the bytes, a closing quote.
// Ordinary values keep the plain forms (":s msg \"hello\"", ":array pos #3 ^4 0.5 x").
#include "variables/variableSaverLoader.h"

#include <charconv>
#include <cstring>
#include <sstream>
#include <string>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/keptText.h"
#include "variables/variableLinks.h"

namespace {

char const blanks[kMaxIndent + 1] = "                               ";
static_assert(sizeof blanks == kMaxIndent + 1);

bool holdsByte(Cstring const& text, char c) {
    return std::memchr(text.c_str(), c, static_cast<size_t>(text.size())) != nullptr;
}

// True when the reader takes the bare text as one literal token equal to it.
bool readsBackBare(Cstring const& text) {
    if (text.empty()) return false;
    char const* p = text.c_str();
    if (std::strchr("(~-.0123456789#:", p[0])) return false;       // expression, number, hash, command
    if (p[0] == '/' && (p[1] == '/' || p[1] == '*')) return false; // comment
    for (int i = 0; i < text.size(); i++) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c <= ' ' || std::strchr("\"${}()", c)) return false;
    }
    return true;
}

void writeBinaryBlock(std::ostream& out, Cstring const& text) {
    uint32_t n = static_cast<uint32_t>(text.size());
    char head[6] = {'"',
                    0,
                    static_cast<char>(n >> 24),
                    static_cast<char>(n >> 16),
                    static_cast<char>(n >> 8),
                    static_cast<char>(n)};
    out.write(head, sizeof head);
    out.write(text.c_str(), text.size());
    out.put('"');
}

void writeElements(std::ostream& out, Cvariable* v) {
    for (int i = 0; i < v->elements(); i++)
        out << ' ' << v->getElem_char(static_cast<unsigned short>(i));
}

// The whole text of a string element (its own characters may hold a NUL).
Cstring elementText(Cvariable* e) {
    if (auto* s = dynamic_cast<CstringVar*>(e)) return s->value;
    return Cstring(e->getElem_char(0));
}

// A value node an array can write inline.
bool isValueElement(Cvariable* v) {
    return v->hasFlag(VAR_HAS_NUMBER | VAR_HAS_STRING);
}

} // namespace

char const* makeTabs(int n) {
    if (n <= 0) return blanks + kMaxIndent;
    if (n > kMaxIndent) n = kMaxIndent;
    return blanks + (kMaxIndent - n);
}

void floatToChar(float value, char* text) {
    auto result = std::to_chars(text, text + 15, value, std::chars_format::general, 6);
    *result.ptr = 0;
}

void writeScriptText(std::ostream& out, Cstring const& text, bool alwaysQuote) {
    if (holdsByte(text, '"') || holdsByte(text, 0))
        writeBinaryBlock(out, text);
    else if (!alwaysQuote && readsBackBare(text))
        out << text.c_str();
    else
        out << '"' << text.c_str() << '"';
}

void writeAsciiSafe(std::ostream& out, char const* text) {
    Cstring t(text ? text : "");
    if (holdsByte(t, '"'))
        writeBinaryBlock(out, t);
    else if (t.empty() || std::strpbrk(t.c_str(), " \t\r\n"))
        out << '"' << t.c_str() << '"';
    else
        out << t.c_str();
}

// ---- base node ----

void Cvariable::prepForSaveConfig() {}
void Cvariable::saveConfigExtra(std::ostream&, int) {}
void Cvariable::saveConfigClassMembers(std::ostream&, int) {}
void Cvariable::writeConfigString(std::ostream& out) {
    writeSaveString(out);
}
void Cvariable::writeSaveString(std::ostream& out) {
    out << ":var " << name.c_str();
}
void Cvariable::writeUnregisteredData(std::ostream&, int) {}

int Cvariable::saveSettings(char const* path, bool keepSiblings, bool all) {
    // Not written or not put in place: 1.
    return saveKeptText(path, settingsText(keepSiblings, all));
}

std::string Cvariable::settingsText(bool keepSiblings, bool all) {
    Cvariable* next = nextSibling;
    if (!keepSiblings) nextSibling = nullptr; // this subtree only
    std::ostringstream out;
    saveConfig(out, 0, all);
    nextSibling = next;
    return out.str();
}

void Cvariable::saveConfig(std::ostream& out, int indent, int all) {
    for (Cvariable* n = this; n; n = n->nextSibling) {
        n->prepForSaveConfig();
        if ((n->flags & VAR_SAVE) || all) {
            int childAll = all || (n->flags & VAR_SAVE_ALL_CHILDREN);
            bool invisible = n->flags & VAR_INVISIBLE_SAVE;
            if (!invisible) {
                out << makeTabs(indent);
                n->writeConfigString(out);
            }
            if (n->firstChild && !(n->flags & VAR_REGISTERED)) {
                if (!invisible) out << " {\n";
                n->firstChild->saveConfig(out, indent + (invisible ? 0 : 1), childAll);
                n->saveConfigExtra(out, indent);
                if (!invisible) out << makeTabs(indent) << '}';
            }
            if (!invisible) out << '\n';
        }
        if (n->flags & VAR_SAVE_COMMAND) out << makeTabs(indent) << ":save " << n->name.c_str() << '\n';
    }
}

void Cvariable::saveCommand(std::ostream& out, int indent) {
    out << makeTabs(indent);
    writeSaveString(out);
    if (firstChild) {
        out << " {\n";
        writeUnregisteredData(out, indent + 1);
        firstChild->saveCommand(out, indent + 1);
        out << makeTabs(indent) << '}';
    } else {
        writeUnregisteredData(out, indent + 1);
    }
    out << '\n';
    if (nextSibling) nextSibling->saveCommand(out, indent);
}

int Cvariable::saveTree(char const* path, short binary, std::ostream* stream) {
    std::ofstream own;
    std::ostream* out = stream;
    if (!out) {
        backupWrite = 1; // a failed save keeps the old file
        if (!file_open(own, Cstring(path), 0)) return 1;
        out = &own;
    }
    if (binary) {
        out->write("DBT", 4); // with its terminating zero
        if (firstChild) firstChild->saveBinary(*out);
    } else if (firstChild) {
        firstChild->saveCommand(*out, 0);
    }
    bool good = out->good();
    if (!stream) {
        file_close(own);
        good = good && !own.fail(); // a failed write stays beside the old file as ".temp"
    }
    return good ? 0 : 1;
}

// ---- directories ----

void CdirectoryVar::writeConfigString(std::ostream& out) {
    writeSaveString(out);
}

void CdirectoryVar::writeSaveString(std::ostream& out) {
    out << ':' << scriptObjectAddCommand() << ' ' << name.c_str();
}

// Informative only: the script reader does not use it.
void CdirectoryVar::writeUnregisteredData(std::ostream& out, int indent) {
    if (!diskPath.empty()) out << makeTabs(indent) << "diskPath=" << diskPath.c_str() << '\n';
}

// ---- values ----

void CshortVar::writeSaveString(std::ostream& out) {
    out << ":short " << name.c_str() << ' ' << getElem_char(0);
}
void CintVar::writeSaveString(std::ostream& out) {
    out << ":int " << name.c_str() << ' ' << getElem_char(0);
}
void CfloatVar::writeSaveString(std::ostream& out) {
    out << ":float " << name.c_str() << ' ' << getElem_char(0);
}

void CstringVar::writeSaveString(std::ostream& out) {
    out << ":s " << name.c_str() << ' ';
    writeScriptText(out, value, true);
}

// ---- links ----

void ClinkVar::writeConfigString(std::ostream& out) {
    out << ":set " << name.c_str();
    if (getClass() != CLASS_LINK) writeElements(out, this); // a plain link has no element texts
}

void ClinkVar::writeSaveString(std::ostream& out) {
    out << ":link " << name.c_str() << " elems=" << elementCount << " elemSize:" << elementSize;
}

void CintLinkVar::writeSaveString(std::ostream& out) {
    out << ":int " << name.c_str();
    writeElements(out, this);
}

void CshortLinkVar::writeSaveString(std::ostream& out) {
    out << ":short " << name.c_str();
    writeElements(out, this);
}

void CfloatLinkVar::writeSaveString(std::ostream& out) {
    out << ":float " << name.c_str();
    writeElements(out, this);
}

void CstringLinkVar::writeConfigString(std::ostream& out) {
    out << ":set " << name.c_str();
    for (int i = 0; i < elements(); i++) {
        out << ' ';
        writeScriptText(out, Cstring(getElem_char(static_cast<unsigned short>(i))), true);
    }
}

// Bare like the other dump values unless the text would not read back.
void CstringLinkVar::writeSaveString(std::ostream& out) {
    out << ":s " << name.c_str() << ' ';
    writeScriptText(out, Cstring(elements() > 0 ? getElem_char(0) : ""), false);
}

void CresourceFileVar::writeSaveString(std::ostream& out) {
    out << ":resFile " << name.c_str() << " offst=" << getFileOffset() << " size:" << getFileSize()
        << " encode:" << getFileEncoding() << " type:" << getFileStream() << " date:" << getFileDate();
}

void CpointerVar::writeSaveString(std::ostream& out) {
    out << ":pointer *" << name.c_str() << ' ' << (target ? *target : nullptr);
}

void CmemoryChunkVar::writeSaveString(std::ostream& out) {
    out << ":memory " << name.c_str() << " (" << size << ')';
}

void CresourceReference::writeConfigString(std::ostream&) {}
void CresourceReference::writeSaveString(std::ostream&) {}

void CvariableLinkVar::saveCommand(std::ostream& out, int indent) {
    if (target)
        out << makeTabs(indent) << ":varPointer " << target->name.c_str() << " (" << name.c_str() << ')';
    Cvariable::saveCommand(out, indent);
}

// ---- arrays: elements inline on the array's line ----

// The array's line without indent or newline. Settings text writes string elements bare
// where they read back; the dump always quotes them.
static void writeArrayLine(std::ostream& out, CarrayVar* array, bool quoteTexts) {
    out << ":array " << array->name.c_str();
    for (Cvariable* e = array->firstChild; e; e = e->nextSibling) {
        if (!isValueElement(e)) continue;
        out << ' ';
        if (e->hasFlag(VAR_HAS_STRING))
            writeScriptText(out, elementText(e), quoteTexts);
        else
            out << e->typePrefix() << e->getElem_char(0);
    }
}

void CarrayVar::writeConfigString(std::ostream& out) {
    if (!name.empty()) writeArrayLine(out, this, false);
}

void CarrayVar::saveCommand(std::ostream& out, int indent) {
    if (!name.empty()) {
        out << makeTabs(indent);
        writeArrayLine(out, this, true);
        out << '\n';
    }
    if (nextSibling) nextSibling->saveCommand(out, indent);
}
