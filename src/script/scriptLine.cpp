// Script lines: token kinds, argument access through the solver, copies and writing.
#include "script/scriptLine.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>

#include "data/dataArrayManager.h"
#include "script/mathSolver.h"
#include "support/cerr.h"
#include "variables/variableBasics.h"

unsigned char classifyToken(char const* text, int count, Cstring& stored) {
    stored.assign(text, count);
    if (count == 0) return TOKEN_LITERAL;
    char first = text[0];
    if (first == '(' || first == '~') return TOKEN_EXPRESSION;
    if ((first >= '0' && first <= '9') || first == '-' || first == '.') return TOKEN_NUMBER;
    if (first == '#') {
        stored.assign(text + 1, count - 1);
        return TOKEN_HASH;
    }
    int quotes = 0;
    bool special = false;
    for (int k = 0; k < count; k++) {
        if (text[k] == '"') quotes++;
        if (text[k] == '"' || text[k] == '$' || text[k] == '{') special = true;
    }
    if (first == '"' && quotes == 2) {
        // A quoted text: keep what lies between the first and the last character.
        stored.assign(count > 2 ? text + 1 : "", count > 2 ? count - 2 : 0);
        return TOKEN_LITERAL;
    }
    return special ? TOKEN_STRING_EVAL : TOKEN_LITERAL;
}

// ---- copies ----

void CscriptLine::copyFrom(CscriptLine* other) {
    if (other == nullptr || other == this) return;
    name = other->name;
    tokens = other->tokens;
    tokenTypes = other->tokenTypes;
    sourceIndex = other->sourceIndex;
}

void CscriptLine::addToken(Cstring const& text, unsigned char type) {
    tokens.push_back(text);
    tokenTypes.push_back(type);
}

void CscriptContainer::copyScript(CscriptLine* first) {
    Cvariable* last = getLastChild();
    for (Cvariable* v = first; v; v = v->nextSibling) {
        if (v->getType() != TYPE_SCRIPT_LINE) continue;
        CscriptLine* source = static_cast<CscriptLine*>(v);
        CscriptLine* copy = new CscriptLine();
        copy->copyFrom(source);
        // Linked by hand after the last child so the copy keeps script order whatever
        // this container's append flag says.
        copy->parent = this;
        if (last)
            last->nextSibling = copy;
        else
            firstChild = copy;
        last = copy;
        if (source->firstChild) copy->copyScriptChildren(source);
    }
}

void CscriptContainer::copyScriptChildren(Cvariable* source) {
    if (source == nullptr) return;
    Cvariable* first = source->firstChild;
    // Skip leading nodes that are not lines; copyScript skips the later ones itself.
    while (first && first->getType() != TYPE_SCRIPT_LINE)
        first = first->nextSibling;
    if (first) copyScript(static_cast<CscriptLine*>(first));
}

// ---- writing ----

namespace {

// True when the bare text would come back from the reader as this same literal.
bool readsBackBare(Cstring const& text) {
    if (text.empty()) return false;
    Cstring stored;
    if (classifyToken(text.c_str(), text.size(), stored) != TOKEN_LITERAL) return false;
    if (!(stored == text)) return false;
    for (int k = 0; k < text.size(); k++) {
        char c = text.c_str()[k];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0' || c == '(' || c == ')')
            return false;
    }
    char first = text.c_str()[0];
    return first != ':' && first != '/' && first != '{' && first != '}';
}

// A literal that a pair of quotes cannot carry (quotes, NULs) goes as a binary block.
void writeLiteral(std::ostream& out, Cstring const& text, bool quote) {
    bool needsBlock = false;
    for (int k = 0; k < text.size(); k++) {
        if (text.c_str()[k] == '"' || text.c_str()[k] == '\0') needsBlock = true;
    }
    if (needsBlock) {
        unsigned n = static_cast<unsigned>(text.size());
        char head[6] = {'"', '\0', char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
        out.write(head, 6);
        out.write(text.c_str(), n);
        out.put('"');
    } else if (quote) {
        out << '"' << text << '"';
    } else {
        out << text;
    }
}

} // namespace

void CscriptLine::writeLine(std::ostream& out) {
    out << ':' << name;
    for (size_t k = 0; k < tokens.size(); k++) {
        out << ' ';
        unsigned char type = tokenTypes[k];
        if (type == TOKEN_LITERAL) {
            // The first token goes bare when that reads back the same; later ones quoted.
            writeLiteral(out, tokens[k], k > 0 || !readsBackBare(tokens[k]));
        } else if (type == TOKEN_HASH) {
            out << '#' << tokens[k];
        } else {
            out << tokens[k];
        }
    }
}

void CscriptLine::writeConfigString(std::ostream& out) {
    writeLine(out);
}
void CscriptLine::writeSaveString(std::ostream& out) {
    writeLine(out);
}

void CscriptLine::showScriptLine() {
    if (!(errorChannels & 2)) return;
    std::ostream& out = traceStream();
    out << "script line: " << name;
    for (size_t k = 0; k < tokens.size(); k++)
        out << " " << tokens[k].ascii() << "(" << tokens[k].size() << ")";
    out << std::endl;
}

// ---- argument access ----

bool CscriptLine::indexInRange(int i, char const* message) {
    if (i >= 0 && i < tokenCount()) return true;
    setExitError(message, 1);
    return false;
}

void CscriptLine::reportEvaluationFailure(int i) {
    Cstring reason = Cstring("Evaluation failed: ") + tokens[i] + " / " + mathSolver.errorText;
    setExitError(reason.c_str(), 1);
}

int CscriptLine::getFloat(int i, double& value) {
    if (!indexInRange(i, "index out of range in scriptLine.getFloat()")) {
        value = 0;
        return 1;
    }
    int result = mathSolver.solveFloat(tokens[i].c_str(), value);
    if (result) reportEvaluationFailure(i);
    return result;
}

double CscriptLine::getFloat(int i) {
    if (!indexInRange(i, "index out of range in scriptLine.getFloat()")) return 0;
    double value = 0;
    // An evaluation error stays on the solver's flag; the runner ends the script on it.
    mathSolver.solveFloat(tokens[i].c_str(), value);
    return value;
}

double CscriptLine::getFloatOrDefault(int i, double defaultValue) {
    if (i < 0 || i >= tokenCount()) return defaultValue;
    return getFloat(i);
}

int CscriptLine::getString(int i, Cstring& value) {
    if (!indexInRange(i, "index out of range in scriptLine.")) return 1;
    int result = mathSolver.solveString(tokens[i].c_str(), value);
    if (result) reportEvaluationFailure(i);
    return result;
}

Cstring CscriptLine::getString(int i, bool mustExist) {
    if (i < 0 || i >= tokenCount()) {
        if (mustExist) {
            setVerbose(1, "err");
            showScriptLine();
            setExitError("string grab too high", 1);
        }
        return Cstring();
    }
    if (tokenTypes[i] == TOKEN_LITERAL) return tokens[i];
    Cstring value;
    mathSolver.solveString(tokens[i].c_str(), value);
    return value;
}

int CscriptLine::getValues(char const* format, std::vector<Cstring>& strings, std::vector<float>& floats) {
    strings.clear();
    floats.clear();
    if (format == nullptr) return 1;
    bool allSolved = true;
    int next = 0;
    for (char const* f = format; *f; f++) {
        if (*f != 'f' && *f != 'i' && *f != 's') continue;
        if (!indexInRange(next, "index out of range in scriptLine.getValues()")) return 0;
        int i = next++;
        if (*f == 's') {
            char first = tokens[i].c_str()[0];
            Cstring text = (first == '$' || first == '"') ? tokens[i] : Cstring("\"") + tokens[i] + "\"";
            Cstring value;
            if (mathSolver.solveString(text.c_str(), value)) {
                reportEvaluationFailure(i);
                allSolved = false;
            }
            strings.push_back(value);
            continue;
        }
        double value = 0;
        if (mathSolver.solveFloat(tokens[i].c_str(), value)) {
            reportEvaluationFailure(i);
            allSolved = false;
        }
        floats.push_back(static_cast<float>(value));
        if (*f == 'f' && value != atof(tokens[i].c_str())) setExitError("Values not the same!", 1);
    }
    return allSolved ? 1 : 0;
}

Cstring CscriptLine::digestLine(std::vector<Cstring>& strings, std::vector<float>& floats) {
    strings.clear();
    floats.clear();
    for (Cstring const& t : tokens) {
        strings.push_back(t);
        floats.push_back(static_cast<float>(atof(t.c_str())));
    }
    return name;
}

int CscriptLine::stringListToFloats(std::vector<float>& floats, int first) {
    if (first < 0 || first > tokenCount()) {
        setExitError("index out of range in scriptLine.stringListToFloats()", 1);
        return tokenCount();
    }
    for (int k = first; k < tokenCount(); k++)
        floats.push_back(static_cast<float>(atof(tokens[k].c_str())));
    return tokenCount();
}

int CscriptLine::setVariableFromLineToken(Cvariable* target, int i, int) {
    if (target == nullptr) return 1;
    if (!indexInRange(i, "index out of range in scriptLine.setVariableFromLineToken()")) return 1;
    if (target->hasFlag(VAR_HAS_NUMBER)) {
        double value = 0;
        if (int result = getFloat(i, value)) return result;
        target->setElem_float(0, value);
        return 0;
    }
    if (tokenTypes[i] == TOKEN_LITERAL) {
        if (target->getClass() == CLASS_STRING) {
            // The whole token: a binary block may carry NUL bytes that a C text would cut.
            static_cast<CstringVar*>(target)->value = tokens[i];
            target->notifySlavesIfAny();
        } else {
            target->setElem_char(0, tokens[i].c_str());
        }
        return 0;
    }
    Cstring value;
    if (int result = getString(i, value)) return result;
    target->setElem_char(0, value.c_str());
    return 0;
}

// The data layer reads the arguments of the commands it handles (image scripts) through
// these; filled in wherever script lines exist.
static bool const lineArgumentsFilled = [] {
    lineArguments.word = [](CscriptLine& line) { return line.name; };
    lineArguments.count = [](CscriptLine& line) { return line.tokenCount(); };
    lineArguments.raw = [](CscriptLine& line, int i) {
        return i >= 0 && i < line.tokenCount() ? line.tokens[static_cast<size_t>(i)] : Cstring();
    };
    lineArguments.number = [](CscriptLine& line, int i) { return line.getFloat(i); };
    lineArguments.text = [](CscriptLine& line, int i) { return line.getString(i, true); };
    return true;
}();
