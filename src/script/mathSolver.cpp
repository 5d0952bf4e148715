// Core of the expression solver: character table, storage, errors, the fallback list and
// the evaluation of the node kinds.
#include "script/mathSolver.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/mathSolverInternal.h"
#include "support/cerr.h"
#include "variables/variableConvert.h"

using solver_detail::truth;
using varconv::truncToInt;

unsigned char alphaNumeric[256];
std::vector<Cstring> varNameList;
std::vector<Cstring> valueList;
uint64_t solverHeapBlocks = 0;

CmathSolver mathSolver;

namespace {

bool alphaNumericFilled = false;

void fillAlphaNumeric() {
    for (int c = 0; c < 256; c++) {
        unsigned char cls = 0;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) cls = 1;
        if (c && std::strchr("_.$[]@", c)) cls = 1;
        if (c && std::strchr("!%&*+,-/<=>^|", c)) cls = 2;
        alphaNumeric[c] = cls;
    }
    alphaNumericFilled = true;
}

} // namespace

// ---- CsolverText ----

CsolverText::~CsolverText() {
    if (data != inlineBuf) std::free(data);
}

void CsolverText::append(char const* text, size_t n) {
    if (n == 0) return;
    if (length + n + 1 > capacity) {
        size_t want = capacity * 2;
        while (want < length + n + 1)
            want *= 2;
        char* grown = static_cast<char*>(std::malloc(want));
        solverHeapBlocks++;
        if (!grown) return; // out of memory: keep what we have
        std::memcpy(grown, data, length + 1);
        if (data != inlineBuf) std::free(data);
        data = grown;
        capacity = want;
    }
    std::memcpy(data + length, text, n);
    length += n;
    data[length] = 0;
}

void CsolverText::append(char const* text) {
    append(text, std::strlen(text));
}

void CsolverText::clear() {
    length = 0;
    data[0] = 0;
}

// ---- CsymbolArena ----

CsymbolArena::~CsymbolArena() {
    reset();
}

void* CsymbolArena::allocate(size_t bytes) {
    bytes = (bytes + 15) & ~size_t(15);
    if (used + bytes <= sizeof inlineBuf) {
        void* p = inlineBuf + used;
        used += bytes;
        return p;
    }
    // Overflow: carve from the newest block, or chain a new one.
    size_t header = (sizeof(Block) + 15) & ~size_t(15);
    if (!blocks || blockUsed + bytes > blocks->size) {
        size_t size = bytes > 4096 ? bytes : 4096;
        void* raw = std::malloc(header + size);
        solverHeapBlocks++;
        if (!raw) std::abort(); // no sane way on without memory for a node
        Block* b = static_cast<Block*>(raw);
        b->next = blocks;
        b->size = size;
        blocks = b;
        blockUsed = 0;
    }
    void* p = reinterpret_cast<unsigned char*>(blocks) + header + blockUsed;
    blockUsed += bytes;
    return p;
}

char const* CsymbolArena::copyText(char const* text, size_t n) {
    char* p = static_cast<char*>(allocate(n + 1));
    if (n) std::memcpy(p, text, n);
    p[n] = 0;
    return p;
}

void CsymbolArena::reset() {
    while (blocks) {
        Block* next = blocks->next;
        std::free(blocks);
        blocks = next;
    }
    used = 0;
    blockUsed = 0;
}

// ---- CmathSolver: setup, errors, storage ----

CmathSolver::CmathSolver() {
    if (!alphaNumericFilled) fillAlphaNumeric();
}

CmathSolver::~CmathSolver() {
    clearSymbols();
}

void CmathSolver::setForMode(_mode m) {
    mode = m;
    unsigned char cls = m == floatMode ? 2 : 1;
    alphaNumeric[static_cast<unsigned char>('-')] = cls;
    alphaNumeric[static_cast<unsigned char>('&')] = cls;
}

void CmathSolver::clearError() {
    errorState = 0;
    errorReported = 0;
}

void CmathSolver::setError(char const* message) {
    if (!errorState) errorState = 1;
    errorReported = 1;
    errorText = message;
    VTRACE(1, "** MATH SOLVER ERROR - " << message);
}

void CmathSolver::setError(char const* format, char const* argument) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, argument);
    setError(buf);
}

void CmathSolver::solverError(char const* format, char const* argument) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, argument);
    setExitError(buf, 1);
}

void CmathSolver::clearSymbols() {
    for (Csymbol* s = liveSymbols; s;) {
        Csymbol* next = s->poolNext;
        s->~Csymbol();
        s = next;
    }
    liveSymbols = nullptr;
    arena.reset();
    for (int i = 0; i < numSymbols; i++)
        symbols[i] = nullptr;
    numSymbols = 0;
}

// Takes the next symbol byte with an empty slot; 0 when the table is full.
uint8_t CmathSolver::registerNewVariable() {
    if (numSymbols >= maxSymbols) {
        setError("expression too complex");
        return 0;
    }
    symbols[numSymbols++] = nullptr;
    return nextFreeSymbol++;
}

uint8_t CmathSolver::addSymbol(Csymbol* node) {
    uint8_t byte = registerNewVariable();
    if (!byte) return 0;
    node->symbolIndex = static_cast<uint8_t>(byte - firstSymbol);
    symbols[node->symbolIndex] = node;
    return byte;
}

uint8_t CmathSolver::addComputedConstant(double value) {
    CfloatConstantSymbol* c = makeSymbol<CfloatConstantSymbol>();
    c->hasValue = 1;
    c->value = value;
    return addSymbol(c);
}

void CmathSolver::setSymbol(uint8_t symbolByte, Csymbol* node) {
    int index = symbolByte - firstSymbol;
    if (index < 0 || index >= numSymbols || symbols[index]) {
        errorState = 1;
        return;
    }
    node->symbolIndex = static_cast<uint8_t>(index);
    symbols[index] = node;
}

Csymbol* CmathSolver::symbolAt(uint8_t symbolByte) {
    int index = symbolByte - firstSymbol;
    if (index < 0 || index >= numSymbols || !symbols[index]) {
        setError("bad variable index");
        return nullptr;
    }
    return symbols[index];
}

double CmathSolver::symbolValue(uint8_t symbolByte) {
    Csymbol* node = symbolAt(symbolByte);
    return node ? node->getSolveValue(this) : 0.0;
}

void CmathSolver::symbolText(uint8_t symbolByte, CsolverText& out) {
    if (Csymbol* node = symbolAt(symbolByte)) node->appendSolveString(this, out);
}

// ---- fallback list ----

Cstring const* solver_detail::fallbackValue(char const* name) {
    for (size_t i = 0; i < varNameList.size() && i < valueList.size(); i++) {
        if (varNameList[i] == name) return &valueList[i];
    }
    return nullptr;
}

void CmathSolver::setValue(char const* name, char const* value) {
    varNameList.emplace_back(name);
    valueList.emplace_back(value);
}

Cstring CmathSolver::getVariableString(char const* name) {
    if (Cstring const* value = solver_detail::fallbackValue(name)) return *value;
    setError("variable not found");
    return Cstring();
}

float CmathSolver::getVariableFloat(char const* name) {
    if (Cstring const* value = solver_detail::fallbackValue(name))
        return static_cast<float>(std::atof(value->c_str()));
    setError("variable not found");
    return 0.0f;
}

// ---- node evaluation ----

double Csymbol::getSolveValue(CmathSolver*) {
    return 0.0;
}

void Csymbol::appendSolveString(CmathSolver*, CsolverText&) {}

Cstring Csymbol::getSolveString(CmathSolver* solver) {
    CsolverText out;
    appendSolveString(solver, out);
    Cstring s;
    s.assign(out.c_str(), static_cast<int>(out.size()));
    return s;
}

double CfloatConstantSymbol::getSolveValue(CmathSolver*) {
    return negate ? -value : value;
}

void CfloatConstantSymbol::appendSolveString(CmathSolver*, CsolverText& out) {
    out.append(text, textLength);
}

double CstringConstantSymbol::getSolveValue(CmathSolver* solver) {
    if (solver->getMode() == CmathSolver::floatMode) solver->setError("String accessed as float");
    return 0.0;
}

void CstringConstantSymbol::appendSolveString(CmathSolver*, CsolverText& out) {
    out.append(text, textLength);
}

void CstringAdd::appendSolveString(CmathSolver* solver, CsolverText& out) {
    // Iterative over the chain: long literal chains must not deepen the stack.
    for (CstringAdd* e = this; e; e = e->next) {
        if (e->segment) e->segment->appendSolveString(solver, out);
    }
}

double CsimpleOp::getSolveValue(CmathSolver* solver) {
    double v = solver->symbolValue(operand);
    return negate ? -v : v;
}

void CsimpleOp::appendSolveString(CmathSolver* solver, CsolverText& out) {
    solver->symbolText(operand, out);
}

double CbinaryOp::getSolveValue(CmathSolver* solver) {
    double l = solver->symbolValue(left);
    double r = solver->symbolValue(right);
    switch (op) {
    case '^':
        return powf(static_cast<float>(l), static_cast<float>(r));
    case '*':
        return l * r;
    case '/':
        return l / r;
    case '+':
        return l + r;
    case '-':
        return l - r;
    case '>':
        return l > r ? 1.0 : 0.0;
    case '<':
        return l < r ? 1.0 : 0.0;
    case '}':
        return l >= r ? 1.0 : 0.0;
    case '{':
        return l <= r ? 1.0 : 0.0;
    case '=':
        return l == r ? 1.0 : 0.0;
    case '#':
        return l != r ? 1.0 : 0.0;
    case '&':
        return static_cast<double>(truncToInt(r) & truncToInt(l));
    case '!': {
        int bits = truncToInt(r);
        return (truncToInt(l) & bits) == bits ? 0.0 : 1.0;
    }
    case '~':
        return truth(l) && truth(r) ? 1.0 : 0.0;
    case '|':
        return truth(l) || truth(r) ? 1.0 : 0.0;
    case '%':
        return std::fmod(l, r);
    default:
        setExitError("bad operand", 1);
        return l;
    }
}

void CbinaryOp::appendSolveString(CmathSolver* solver, CsolverText& out) {
    solver->symbolText(left, out);
    if (op == '+') {
        solver->symbolText(right, out);
    } else {
        solver->setError("Bad String Operator (must be + or 0)");
    }
}
