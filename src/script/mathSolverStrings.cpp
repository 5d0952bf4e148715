// String mode, names and literal pieces, "$" variables and "~" local constants.
#include <cstring>

#include "script/mathSolver.h"
#include "script/mathSolverInternal.h"
#include "script/solverTree.h"
#include "script/variableSearch.h"

int CmathSolver::solveString(char const* text, Cstring& result) {
    setForMode(stringMode);
    errorState = 0;
    if (nesting == 0) resetLocalSolveBudget();
    if (!text) text = "";
    clearSymbols();
    firstSymbol = nextFreeSymbol = 'a';

    char const* p = text;
    CstringAdd* chain = addString(p, false);
    consumed = static_cast<int32_t>(p - text);
    restOfText = *p ? p + 1 : p;

    CsolverText out;
    if (chain) chain->appendSolveString(this, out);
    result.assign(out.c_str(), static_cast<int>(out.size()));
    return errorState ? 1 : 0;
}

// A chain of segments up to ")", "}", "," or the end; in name mode exactly one segment.
CstringAdd* CmathSolver::addString(char const*& p, bool nameMode) {
    if (chainDepth >= maxNesting) {
        setError("expression too complex");
        return nullptr;
    }
    chainDepth++;
    CstringAdd* head = makeSymbol<CstringAdd>();
    head->segment = readSegment(p, nameMode);
    if (!nameMode) {
        CstringAdd* tail = head;
        while (*p && *p != ')' && *p != '}' && *p != ',' && !errorState) {
            CstringAdd* e = makeSymbol<CstringAdd>();
            e->segment = readSegment(p, false);
            tail->next = e;
            tail = e;
        }
    }
    chainDepth--;
    return head;
}

Csymbol* CmathSolver::readSegment(char const*& p, bool nameMode) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (!c || c == ')' || c == '}' || c == ',') return nullptr;
    if (c == '$') {
        p++;
        CnewVarSymbol* v = makeSymbol<CnewVarSymbol>();
        v->name = addString(p, true);
        return v;
    }
    if (c == '{') {
        p++;
        CstringAdd* inner = addString(p, false);
        if (*p == '}') p++;
        return inner;
    }
    CsolverText piece;
    int n = scanString(p, piece);
    if (n == 0) {
        if (nameMode) return nullptr;
        // A character that starts no piece (an operator in string mode) stays as text.
        piece.append(static_cast<char>(c));
        n = 1;
    }
    p += n;
    return makeTextConstant(piece.c_str(), piece.size());
}

Csymbol* CmathSolver::makeTextConstant(char const* text, size_t n) {
    CstringConstantSymbol* s = makeSymbol<CstringConstantSymbol>();
    s->text = arena.copyText(text, n);
    s->textLength = static_cast<int>(n);
    return s;
}

int CmathSolver::scanString(char const* text, CsolverText& out) {
    char const* p = text;
    if (*p == '"') {
        // A quoted piece; an unclosed one ends with the text.
        p++;
        char const* start = p;
        while (*p && *p != '"')
            p++;
        out.append(start, static_cast<size_t>(p - start));
        if (*p == '"') p++;
        return static_cast<int>(p - text);
    }
    while (*p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ') {
            p++;
            break;
        }
        if (c == '$' || c == '"' || c == ')' || c == '{' || c == '}') break;
        if (alphaNumeric[c] == 2 && c != '/') break;
        if (c == '(' && p - text >= 3) {
            int count = 0;
            CsolverText result;
            if (checkStringFunctions(text, static_cast<int>(p - text), count, result)) {
                out.clear();
                out.append(result.c_str(), result.size());
                return count;
            }
        }
        out.append(static_cast<char>(c));
        p++;
    }
    return static_cast<int>(p - text);
}

// ---- "$" variables ----

int CmathSolver::symbolizeVariablePath(char const* text, uint8_t& symbolByte) {
    char const* p = text;
    CnewVarSymbol* v = makeSymbol<CnewVarSymbol>();
    v->name = addString(p, true);
    symbolByte = addSymbol(v);
    return static_cast<int>(p - text);
}

double CnewVarSymbol::getSolveValue(CmathSolver* solver) {
    CsolverText n;
    if (name) name->appendSolveString(solver, n);
    double value = 0.0;
    solver->searchUpParentsForVariableFloat(solver->getSearchVariablePath(), n.c_str(), value);
    return value;
}

void CnewVarSymbol::appendSolveString(CmathSolver* solver, CsolverText& out) {
    CsolverText n;
    if (name) name->appendSolveString(solver, n);
    solver->searchUpParentsForVariableText(solver->getSearchVariablePath(), n.c_str(), out);
}

int CmathSolver::searchUpParentsForVariableFloat(Cvariable* start, char const* name, double& value) {
    if (!start) {
        value = 0.0;
        return 1;
    }
    Cvariable* v = searchUpParentsForVariable(start, name);
    double d = 0.0;
    if (v && solverNumber(v, d)) {
        value = d;
        return 0;
    }
    value = -19.5;
    setError("solver couldn't find float var: %s", name);
    return 1;
}

int CmathSolver::searchUpParentsForVariableText(Cvariable* start, char const* name, CsolverText& out) {
    if (!start) {
        if (Cstring const* value = solver_detail::fallbackValue(name)) {
            out.append(value->c_str(), static_cast<size_t>(value->size()));
            return 0;
        }
        setError("variable not found");
        return 1;
    }
    if (std::strcmp(name, "name") == 0) {
        out.append(solverName(start));
        return 0;
    }
    Cvariable* v = searchUpParentsForVariable(start, name);
    if (v) {
        solverText(v, out);
        return 0;
    }
    out.append("bad eval");
    setError("solver couldn't find string var: %s", name);
    return 1;
}

int CmathSolver::searchUpParentsForVariableString(Cvariable* start, char const* name, Cstring& out) {
    CsolverText text;
    int result = searchUpParentsForVariableText(start, name, text);
    out.assign(text.c_str(), static_cast<int>(text.size()));
    return result;
}

// ---- "~" local constants ----

int CmathSolver::symbolizeLocalConstantValue(char const* text, uint8_t& symbolByte) {
    CsolverText name;
    int n = scanString(text, name);
    double value = -999.0;
    if (!searchVariablePath || !solverLocalConstant(searchVariablePath, name.c_str(), value)) {
        solverError("const %s not found", name.c_str());
        errorState = 1;
        value = -999.0;
    }
    symbolByte = addComputedConstant(value);
    return n;
}
