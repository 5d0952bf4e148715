// Script lines: one ":" command with its argument tokens and the block that follows it.
//
// A line is a node of the variable tree named by its command word; its "{ }" block is
// its children. Command handlers read arguments through the typed accessors below,
// which evaluate tokens with the global expression solver.
#pragma once

#include <iosfwd>
#include <vector>

#include "support/mystring.h"
#include "variables/variable.h"

// Token kinds, chosen on the token's first character (see classifyToken).
enum : unsigned char {
    TOKEN_STRING_EVAL = 2, // holds a double quote, "$" or "{": evaluated as text
    TOKEN_HASH = 4,        // "#12": stored without the "#"
    TOKEN_NUMBER = 5,      // begins with a digit, "-" or "."
    TOKEN_LITERAL = 6,     // plain word, quoted text or binary block: used as it stands
    TOKEN_EXPRESSION = 22, // begins with "(" or "~"
};

// Kind of the token text (count bytes, may hold NULs) and the text to keep for it.
unsigned char classifyToken(char const* text, int count, Cstring& stored);

// Base of scripts and script lines: deep copies of line lists.
class CscriptContainer : public Cvariable {
  public:
    // Appends deep copies of first and of each following sibling that is a script line
    // (with their blocks) after this container's last child; other siblings are skipped.
    void copyScript(class CscriptLine* first);
    void copyScriptChildren(Cvariable* source);
};

class CscriptLine : public CscriptContainer {
  public:
    int getType() override { return TYPE_SCRIPT_LINE; }
    int getClass() override { return CLASS_SCRIPT_LINE; }
    char const* getClassName() override { return "SCRIPT_LINE"; }

    // The command word and tokens; a block is written by the tree writer as children.
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    // The same line text to any stream (no line end).
    void writeLine(std::ostream& out);

    int tokenCount() const { return static_cast<int>(tokens.size()); }
    void addToken(Cstring const& text, unsigned char type);
    void copyFrom(CscriptLine* other);

    // ---- argument access (i counts tokens from 0) ----
    using Cvariable::getFloat;
    using Cvariable::getString;
    // Evaluates token i; on failure records "Evaluation failed: ..." and returns nonzero.
    // An index beyond the tokens records "index out of range in scriptLine.getFloat()".
    int getFloat(int i, double& value);
    // Token i's value; out of range records the index error and gives 0.
    double getFloat(int i);
    double getFloatOrDefault(int i, double defaultValue);
    // The evaluated text of token i into value: 0 success, nonzero after a failure (an
    // index beyond the tokens records "index out of range in scriptLine.").
    int getString(int i, Cstring& value);
    // Token i: a literal as it stands, anything else evaluated. Missing: empty, and with
    // mustExist the line is traced and "string grab too high" recorded.
    Cstring getString(int i, bool mustExist);
    Cstring getFilename(int i) { return getString(i, true); }
    // Walks format: "f" and "i" append a token's value to floats, "s" its text to strings.
    // 1 when every solve succeeded, 0 otherwise (also when the tokens run out).
    int getValues(char const* format, std::vector<Cstring>& strings, std::vector<float>& floats);
    // Every token as written and its plain numeric reading; returns the command word.
    Cstring digestLine(std::vector<Cstring>& strings, std::vector<float>& floats);
    // Plain numeric readings of tokens first..last; returns the token count. A first
    // beyond the tokens records the index error and gives nothing.
    int stringListToFloats(std::vector<float>& floats, int first);
    // Stores token i into element 0 of target (number or text by the target's kind);
    // 0 on success, nonzero after a failed evaluation.
    int setVariableFromLineToken(Cvariable* target, int i, int element);
    // The line on the verbose trace.
    void showScriptLine();

    std::vector<Cstring> tokens;
    std::vector<unsigned char> tokenTypes;
    int sourceIndex = -1; // the file the line was read from (scriptSourceIndex), copies too

  private:
    bool indexInRange(int i, char const* message);
    void reportEvaluationFailure(int i);
};
