// Saving the variable tree: the settings text, the dump text and the binary tree file.
//
// The text forms are script lines (":int speed 3", ":mkdir shop {" ... "}") that the script
// interpreter runs to rebuild the tree. The binary form ("DBT") is a compact little-endian
// record stream read back into an existing object.
#pragma once

#include <fstream>

#include "support/mystring.h"

class Cvariable;

// Most blanks a line is indented by.
constexpr int kMaxIndent = 31;

// A text of min(n, 31) blanks (none for n <= 0); shared, valid until the program ends.
char const* makeTabs(int n);
// "%g" form of value into text, which must hold at least 16 bytes.
void floatToChar(float value, char* text);

// Writes text as one script token: "" for an empty text, quoted when it holds a blank,
// bare otherwise; a text holding a double quote goes as a length-prefixed block (see
// writeScriptText).
void writeAsciiSafe(std::ostream& out, char const* text);
// Writes text so that the script reader gives back exactly these bytes as one literal
// token. With alwaysQuote it is written between double quotes; otherwise bare when the
// bare text reads back as the same text. A text holding a double quote or a NUL byte is
// written as the reader's binary block.
void writeScriptText(std::ostream& out, Cstring const& text, bool alwaysQuote);

// Binary strings: u16 length, then the bytes. A text longer than 32767 bytes is refused
// (exit reason, nothing written, the stream is failed so that the file is not kept).
void writeBinaryString(std::ostream& out, Cstring const& text);
// Reads a u16-length string; false (text unchanged) when the stream runs out.
bool readBinaryString(std::istream& in, Cstring& text);

// Reads one chain of sibling records (and their children) under parent. 0 on success,
// 1 when the data is malformed or truncated; what was read completely stays.
int readBinaryVariable(std::istream& in, Cvariable* parent);
