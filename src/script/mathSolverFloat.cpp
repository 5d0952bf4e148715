// Float mode: symbolization of the text, reduction by precedence, evaluation.
#include <cstdlib>
#include <cstring>
#include <string>

#include "script/mathSolver.h"
#include "script/mathSolverInternal.h"

using solver_detail::isOperandByte;

int CmathSolver::solveFloat(char const* text, double& value) {
    setForMode(floatMode);
    value = 0.0;
    errorState = 0;
    if (nesting == 0) resetLocalSolveBudget();
    if (!text) text = "";
    if (!decompose(text)) return 1;
    if (simplified) {
        value = symbols[0]->getSolveValue(this);
        return errorState ? 1 : 0;
    }
    if (rootSymbol < numSymbols && symbols[rootSymbol] && errorState != 2) {
        errorState = 0;
        value = symbols[rootSymbol]->getSolveValue(this);
        return errorState ? 1 : 0;
    }
    return 1;
}

bool CmathSolver::decompose(char const* text) {
    clearSymbols();
    rootSymbol = errorState = simplified = 0;
    firstSymbol = nextFreeSymbol = 'a';

    CsymbolString str;
    bool strayName = false;
    symbolizeFloat(text, str, strayName);
    if (str.overflow) setError("expression too complex");
    rootSymbol = static_cast<uint8_t>(numSymbols);

    if (numSymbols == 1 && !errorState) {
        // "(+a)" after a name that is no variable, function or constant, as in abc+1.
        if (str.length == 4 && str.bytes[1] != '-' && strayName) {
            solverError("symbolized equation has unknown symbol %s", text);
            errorState = 2;
            return false;
        }
        if (symbols[0]->getType() == 2) {
            // One constant: every "-" before it negates it; operators after it are ignored.
            int signs = 0;
            for (int i = 0; i < str.length && str.bytes[i] != 'a'; i++) {
                if (str.bytes[i] == '-') signs++;
            }
            if (signs & 1) {
                auto* c = static_cast<CfloatConstantSymbol*>(symbols[0]);
                c->negate ^= 1;
            }
            simplified = 1;
            return true;
        }
    }

    CbinString top(this);
    if (!errorState && top.symbol) {
        std::memcpy(top.text, str.bytes, static_cast<size_t>(str.length) + 1);
        top.length = str.length;
        top.breakDown();
    }
    if (!errorState) return true;
    errorState = 2;
    return false;
}

void CmathSolver::symbolizeFloat(char const* text, CsymbolString& out, bool& strayName) {
    char const* p = text;
    char const* segmentStart = text; // the three-character rule counts from here
    int skipped = 0;                 // characters skipped since the last token
    int skippedName = 0;             // of those, the ones that are not blanks
    int open = 0;
    int valueFlag = 0; // 0 none / after an operator, 1 variable, 2 number, constant or function
    // A sign group closes after the operand that follows it at the depth where it opened,
    // so -(1+2) negates the whole group.
    int unaryDepth[maxSymbolText + 1];
    int numUnary = 0;
    char const* ended = nullptr;
    strayName = false;

    auto closeUnary = [&] {
        while (numUnary > 0 && unaryDepth[numUnary - 1] == open) {
            out.push(')');
            numUnary--;
        }
    };
    auto tokenDone = [&](int flag) {
        valueFlag = flag;
        closeUnary();
        skipped = skippedName = 0;
    };

    while (*p && !errorState && !out.overflow) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '$') {
            uint8_t byte = 0;
            p += 1 + symbolizeVariablePath(p + 1, byte);
            if (byte) out.push(static_cast<char>(byte));
            tokenDone(1);
            continue;
        }
        if ((c >= '0' && c <= '9') || c == '.') {
            char const* start = p;
            while ((*p >= '0' && *p <= '9') || *p == '.' || *p == 'e')
                p++;
            uint8_t byte = symbolizeFloatValue(start, static_cast<int>(p - start));
            if (byte) out.push(static_cast<char>(byte));
            tokenDone(2);
            continue;
        }
        if (c == '~') {
            uint8_t byte = 0;
            p += 1 + symbolizeLocalConstantValue(p + 1, byte);
            if (byte) out.push(static_cast<char>(byte));
            tokenDone(2);
            continue;
        }
        if (c == '(') {
            if (p - segmentStart >= 3 && skipped > 0) {
                // The name is the skipped run just before "(", without leading blanks.
                char const* name = p - skipped;
                while (name < p && (*name == ' ' || *name == '\t'))
                    name++;
                int count = 0;
                uint8_t byte = checkFloatFunctions(name, static_cast<int>(p - name), count);
                if (errorState) break;
                if (count > 0) {
                    if (byte) out.push(static_cast<char>(byte));
                    p = name + count;
                    tokenDone(2);
                    continue;
                }
            }
            out.push('(');
            open++;
            p++;
            segmentStart = p;
            skipped = skippedName = 0;
            continue;
        }
        if (c == ')') {
            if (open == 0) {
                ended = p;
                break;
            }
            out.push(')');
            open--;
            p++;
            closeUnary();
            skipped = skippedName = 0;
            continue;
        }
        if (c == ',') {
            ended = p;
            break;
        }
        if (c == '"') {
            setError("Unexpected Quote");
            p++;
            continue;
        }
        if (alphaNumeric[c] == 2) {
            char opByte = static_cast<char>(c);
            int len = 1;
            switch (c) {
            case '>':
                if (p[1] == '=') opByte = '}', len = 2;
                break;
            case '<':
                if (p[1] == '=') opByte = '{', len = 2;
                break;
            case '=':
                if (p[1] == '=') len = 2;
                break;
            case '!':
                if (p[1] == '=') opByte = '#', len = 2;
                break;
            case '&':
                if (p[1] == '&') opByte = '~', len = 2;
                break;
            case '|':
                if (p[1] == '|') len = 2;
                break;
            default:
                break;
            }
            char prevRaw = p == text ? '(' : p[-1];
            if ((c == '+' || c == '-') && (prevRaw == '(' || valueFlag == 0) && numUnary < maxSymbolText) {
                if (out.length == 0 && skippedName > 0) strayName = true;
                out.push('(');
                unaryDepth[numUnary++] = open;
            }
            out.push(opByte);
            if (valueFlag == 0 && numUnary == 0) setError("Juxtaposed operators with no values between");
            valueFlag = 0;
            skipped = skippedName = 0;
            p += len;
            continue;
        }
        // Letters, blanks and other punctuation: the characters a function name is made of.
        skipped++;
        if (c != ' ' && c != '\t') skippedName++;
        p++;
    }
    restOfText = ended ? ended + 1 : p;
}

uint8_t CmathSolver::symbolizeFloatValue(char const* literal, int n) {
    double v;
    char buf[64];
    if (n < static_cast<int>(sizeof buf)) {
        std::memcpy(buf, literal, static_cast<size_t>(n));
        buf[n] = 0;
        v = std::atof(buf);
    } else {
        v = std::atof(std::string(literal, static_cast<size_t>(n)).c_str());
    }
    CfloatConstantSymbol* c = makeSymbol<CfloatConstantSymbol>();
    c->text = arena.copyText(literal, static_cast<size_t>(n));
    c->textLength = n;
    c->value = v;
    return addSymbol(c);
}

// ---- reduction ----

CbinString::CbinString(CmathSolver* owner) : solver(owner) {
    text[0] = 0;
    symbol = owner->registerNewVariable();
}

bool CbinString::failed() const {
    return solver->getErrorState() != 0;
}

void CbinString::breakDown() {
    static char const* const levels[] = {"^", "*/", "+-", "><", "}{", "=#", "&!", "~|", "%"};
    breakDownParenthesis();
    if (length >= 4 && !failed()) {
        for (char const* ops : levels) {
            breakDownTest(ops);
            if (failed()) break;
        }
    }
    if (failed()) return;

    unsigned char const* t = reinterpret_cast<unsigned char const*>(text);
    Csymbol* node = nullptr;
    if (length == 1 && isOperandByte(t[0])) {
        CsimpleOp* s = solver->makeSymbol<CsimpleOp>();
        s->operand = t[0];
        node = s;
    } else if (length == 2 && (t[0] == '-' || t[0] == '+') && isOperandByte(t[1])) {
        CsimpleOp* s = solver->makeSymbol<CsimpleOp>();
        s->operand = t[1];
        s->negate = t[0] == '-';
        node = s;
    } else if (length == 3 && isOperandByte(t[0]) && std::strchr("^*/+-><}{=#&!~|%", t[1]) && t[1] &&
               isOperandByte(t[2])) {
        CbinaryOp* b = solver->makeSymbol<CbinaryOp>();
        b->left = t[0];
        b->op = t[1];
        b->right = t[2];
        node = b;
    } else {
        solver->setError("bs");
        solver->solverError("incorrect float equation %s", text);
        return;
    }
    solver->setSymbol(symbol, node);
}

void CbinString::breakDownParenthesis() {
    for (int i = 0; i < length && !failed(); i++) {
        if (text[i] != '(') continue;
        int close = scanParenthesis(i);
        int to = close < length ? close : length - 1;
        replaceWithVar(i, to, i + 1, close);
    }
}

// Index of the ")" matching the "(" at open, or length when there is none.
int CbinString::scanParenthesis(int open) const {
    int depth = 0;
    for (int i = open; i < length; i++) {
        if (text[i] == '(') depth++;
        if (text[i] == ')' && --depth == 0) return i;
    }
    return length;
}

void CbinString::breakDownTest(char const* ops) {
    int lastOperand = -1;
    for (int i = 0; i < length && length >= 4; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (isOperandByte(c)) {
            lastOperand = i;
            continue;
        }
        if (!std::strchr(ops, c)) continue;
        if (lastOperand < 0) {
            solver->setError("bad variable start!");
            return;
        }
        int to = i + 1 < length ? i + 1 : length - 1;
        if (!replaceWithVar(lastOperand, to, lastOperand, to + 1)) return;
        i = lastOperand;
    }
}

bool CbinString::replaceWithVar(int from, int to, int innerFrom, int innerTo) {
    CbinString child(solver);
    if (!child.symbol) return false;
    int n = innerTo - innerFrom;
    std::memcpy(child.text, text + innerFrom, static_cast<size_t>(n));
    child.text[n] = 0;
    child.length = n;
    child.breakDown();
    text[from] = static_cast<char>(child.symbol);
    std::memmove(text + from + 1, text + to + 1, static_cast<size_t>(length - to)); // with the NUL
    length -= to - from;
    return !failed();
}
