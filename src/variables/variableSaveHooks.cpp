// Base persistence hooks of Cvariable and CdirectoryVar: the node's own text line, the
// dump walk and the binary record. The settings writer and the binary reader build on
// these.
#include <cstdint>
#include <fstream>

#include "variables/variable.h"

namespace {

constexpr int kMaxIndent = 31;

void writeIndent(std::ofstream& out, int indent) {
    if (indent > kMaxIndent) indent = kMaxIndent;
    for (int i = 0; i < indent; i++)
        out.put(' ');
}

void writeU16(std::ofstream& out, unsigned value) {
    out.put(static_cast<char>(value & 0xFF));
    out.put(static_cast<char>((value >> 8) & 0xFF));
}

} // namespace

void Cvariable::prepForSaveConfig() {}
void Cvariable::saveConfigExtra(std::ofstream&, int) {}
void Cvariable::saveConfigClassMembers(std::ofstream&, int) {}
void Cvariable::saveBinaryClassMembers(std::ofstream&) {}
void Cvariable::writeUnregisteredData(std::ofstream&, int) {}
void Cvariable::writeBinaryData(std::ofstream&) {}
void Cvariable::readBinaryData(std::ifstream&) {}

void Cvariable::writeConfigString(std::ofstream& out) {
    writeSaveString(out);
}

void Cvariable::writeSaveString(std::ofstream& out) {
    out << ":var " << name;
}

// Every node, its subtree and its later siblings; flags are not consulted.
void Cvariable::saveCommand(std::ofstream& out, int indent) {
    writeIndent(out, indent);
    writeSaveString(out);
    if (firstChild) {
        out << " {\n";
        writeUnregisteredData(out, indent + 1);
        firstChild->saveCommand(out, indent + 1);
        writeIndent(out, indent);
        out << "}";
    } else {
        writeUnregisteredData(out, indent + 1);
    }
    out << "\n";
    if (nextSibling) nextSibling->saveCommand(out, indent);
}

// Type byte, u16 name length, name, data, "{" children "}", "|" next sibling.
void Cvariable::saveBinary(std::ofstream& out) {
    unsigned type = static_cast<unsigned>(getClass()) & 0xFF;
    if (flags & VAR_BINARY_MERGE) type |= 0x80;
    out.put(static_cast<char>(type));
    unsigned length = static_cast<unsigned>(name.size());
    if (length > 0x7FFF) length = 0x7FFF; // a longer name could not be read back
    writeU16(out, length);
    out.write(name.c_str(), length);
    writeBinaryData(out);
    if (firstChild) {
        out.put('{');
        firstChild->saveBinary(out);
        out.put('}');
    }
    if (nextSibling) {
        out.put('|');
        nextSibling->saveBinary(out);
    }
}

void CdirectoryVar::writeConfigString(std::ofstream& out) {
    writeSaveString(out);
}

void CdirectoryVar::writeSaveString(std::ofstream& out) {
    out << ":" << scriptObjectAddCommand() << " " << name;
}

void CdirectoryVar::writeUnregisteredData(std::ofstream& out, int indent) {
    if (diskPath.size() == 0) return;
    writeIndent(out, indent);
    out << "diskPath=" << diskPath << "\n";
}
