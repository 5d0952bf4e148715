// Built-in functions of the solver. A call is evaluated while its expression is
// symbolized: a local solver reads the arguments, the result enters the expression as a
// constant (float functions) or as the text of the piece (string functions).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/osFunctions.h"
#include "script/mathSolver.h"
#include "script/mathSolverInternal.h"
#include "script/solverText.h"
#include "script/solverTree.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variableConvert.h"
#include "support/languageCodes.h"

using varconv::toFloat;
using varconv::truncToInt;

namespace {

enum class FloatFn {
    none,
    fit,
    min,
    max,
    hsv,
    atof,
    rand,
    rrand,
    strEq,
    ndirs,
    exists,
    msgbox,
    fileEx,
    dirNum,
    regInt,
    numChildren
};

FloatFn floatFunctionNamed(char const* name, int length) {
    struct Row {
        char const* name;
        FloatFn fn;
    };
    static Row const rows[] = {
        {"fit", FloatFn::fit},       {"min", FloatFn::min},       {"max", FloatFn::max},
        {"hsv", FloatFn::hsv},       {"atof", FloatFn::atof},     {"rand", FloatFn::rand},
        {"rrand", FloatFn::rrand},   {"strEq", FloatFn::strEq},   {"ndirs", FloatFn::ndirs},
        {"exists", FloatFn::exists}, {"msgbox", FloatFn::msgbox}, {"fileEx", FloatFn::fileEx},
        {"dirNum", FloatFn::dirNum}, {"regInt", FloatFn::regInt}, {"numChildren", FloatFn::numChildren},
    };
    for (Row const& r : rows) {
        if (static_cast<int>(std::strlen(r.name)) == length && std::memcmp(r.name, name, length) == 0)
            return r.fn;
    }
    return FloatFn::none;
}

enum class StringFn { none, eau, dcr, ftoa, quotes, regStr, dirName, encrypt, langNumToCode };

StringFn stringFunctionNamed(char const* name, int length) {
    auto is = [&](char const* candidate) {
        return static_cast<int>(std::strlen(candidate)) == length &&
               std::memcmp(candidate, name, length) == 0;
    };
    switch (length) {
    case 3:
        return is("eau") ? StringFn::eau : is("dcr") ? StringFn::dcr : StringFn::none;
    case 4:
        return is("ftoa") ? StringFn::ftoa : StringFn::none;
    case 6:
        return is("quotes") ? StringFn::quotes : is("regStr") ? StringFn::regStr : StringFn::none;
    case 7:
        return is("dirName") ? StringFn::dirName : is("encrypt") ? StringFn::encrypt : StringFn::none;
    default:
        // Tested on its first 13 characters: a longer name that begins with it is taken for it.
        return length >= 13 && std::strncmp(name, "langNumToCode", 13) == 0 ? StringFn::langNumToCode
                                                                            : StringFn::none;
    }
}

} // namespace

// Function arguments are solved by local solvers, and a name that is not a function may be
// tried again at each later "(", so nested text can cost work exponential in its depth.
// One top-level solve gets a fixed budget of local solves; past it the expression is too
// complex. Scripts from the network reach the solver, so this must hold for any text.
static int localSolvesLeft = CmathSolver::maxLocalSolves;

void CmathSolver::resetLocalSolveBudget() {
    localSolvesLeft = maxLocalSolves;
}

bool CmathSolver::beginLocalSolve(CmathSolver& local, char const* nameStart, int nameLength) {
    local.searchVariablePath = searchVariablePath;
    local.nesting = nesting + 1;
    local.restOfText = nameStart + nameLength + 1;
    if (local.nesting > maxNesting || --localSolvesLeft < 0) {
        setError("expression too complex");
        return false;
    }
    return true;
}

uint8_t CmathSolver::checkFloatFunctions(char const* nameStart, int nameLength, int& count) {
    count = 0;
    FloatFn fn = floatFunctionNamed(nameStart, nameLength);
    if (fn == FloatFn::none) return 0;
    CmathSolver local;
    if (!beginLocalSolve(local, nameStart, nameLength)) return 0;

    // Recognised is its own flag: any number, -999 included, is a valid result.
    bool recognised = true;
    double result = 0.0;
    int failures = 0;
    auto number = [&](double& v) { failures += local.solveFloat(local.getRestOfText(), v); };
    auto text = [&](Cstring& s) { failures += local.solveString(local.getRestOfText(), s); };
    auto pathArg = [&](Cvariable*& found) {
        Cstring path;
        found = nullptr;
        if (local.solveString(local.getRestOfText(), path) != 0) {
            failures++;
            return false;
        }
        found = searchUpParentsForVariable(searchVariablePath, path.c_str());
        return true;
    };

    switch (fn) {
    case FloatFn::fit: {
        double a, b, t;
        number(a);
        number(b);
        number(t);
        result = (b - a) * t + a;
        break;
    }
    case FloatFn::min:
    case FloatFn::max: {
        double a, b;
        number(a);
        number(b);
        float fa = toFloat(a), fb = toFloat(b);
        result = fn == FloatFn::min ? (fa < fb ? fa : fb) : (fa > fb ? fa : fb);
        break;
    }
    case FloatFn::hsv: {
        double h, s, v, i;
        number(h);
        number(s);
        number(v);
        number(i);
        float rgb[3];
        HSV2RGB(toFloat(h), toFloat(s), toFloat(v), rgb);
        int k = truncToInt(i);
        result = k >= 0 && k <= 2 ? rgb[k] : 0.0; // no component outside 0 to 2
        break;
    }
    case FloatFn::atof: {
        Cstring s;
        text(s);
        result = std::atof(s.c_str());
        break;
    }
    case FloatFn::rand:
        if (*local.restOfText == ')') local.restOfText++;
        result = static_cast<float>(OS::_rand() % 32768) / 32768.0f;
        break;
    case FloatFn::rrand:
        if (*local.restOfText == ')') local.restOfText++;
        OS::timeRandomizeSrand();
        result = static_cast<float>(OS::_rand()) / 32768.0f;
        break;
    case FloatFn::strEq: {
        Cstring a, b;
        text(a);
        text(b);
        result = a == b ? 1.0 : 0.0;
        break;
    }
    case FloatFn::ndirs:
    case FloatFn::numChildren: {
        Cvariable* v;
        if (pathArg(v)) result = v ? solverCountChildren(v) : 0;
        break;
    }
    case FloatFn::exists: {
        Cvariable* v;
        if (pathArg(v)) result = v ? 1.0 : 0.0;
        break;
    }
    case FloatFn::msgbox: {
        Cstring s;
        text(s);
        result = OS::ShowMessage(s.c_str(), nullptr, 0);
        break;
    }
    case FloatFn::fileEx: {
        Cstring path;
        text(path);
        result = fileExists(path.c_str()) ? 1.0 : 0.0;
        break;
    }
    case FloatFn::dirNum: {
        Cvariable* v;
        if (pathArg(v)) result = v ? solverChildNum(searchVariablePath, v) : 0;
        break;
    }
    case FloatFn::regInt: {
        Cstring s;
        if (local.solveString(local.getRestOfText(), s) != 0) recognised = false;
        result = 0.0;
        break;
    }
    case FloatFn::none:
        break;
    }

    setForMode(mode); // argument solves switch the shared character classes
    if (failures) setError("function failed");
    if (!recognised) return 0;
    count = static_cast<int>(local.restOfText - nameStart);
    return addComputedConstant(result);
}

int CmathSolver::checkStringFunctions(char const* nameStart, int nameLength, int& count, CsolverText& out) {
    count = 0;
    StringFn fn = stringFunctionNamed(nameStart, nameLength);
    if (fn == StringFn::none) return 0;
    CmathSolver local;
    if (!beginLocalSolve(local, nameStart, nameLength)) return 0;

    bool ok = true;
    CsolverText result;
    auto text = [&](Cstring& s) { ok = local.solveString(local.getRestOfText(), s) == 0 && ok; };
    auto number = [&](double& v) { ok = local.solveFloat(local.getRestOfText(), v) == 0 && ok; };

    switch (fn) {
    case StringFn::eau:
        solver_text::builtInText(result); // reads no argument: the piece ends at its "("
        break;
    case StringFn::dcr: {
        Cstring s;
        text(s);
        solver_text::scramble(s.c_str(), 1, result);
        break;
    }
    case StringFn::ftoa: {
        double x;
        number(x);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(toFloat(x)));
        result.append(buf);
        break;
    }
    case StringFn::quotes: {
        Cstring s;
        text(s);
        solver_text::replaceAll(s.c_str(), "``", "\"", result);
        break;
    }
    case StringFn::regStr: {
        Cstring s;
        text(s);
        break;
    }
    case StringFn::dirName: {
        double n;
        number(n);
        if (ok) solverChildName(searchVariablePath, truncToInt(n), result);
        break;
    }
    case StringFn::encrypt: {
        // Gives the scrambled text; it never ends the process.
        Cstring s;
        text(s);
        solver_text::scramble(s.c_str(), 0, result);
        if (ok) VTRACE(1, "encrypted:" << result.c_str());
        break;
    }
    case StringFn::langNumToCode: {
        double n;
        number(n);
        result.append(languageNumToLanguageCode(truncToInt(n)));
        break;
    }
    case StringFn::none:
        break;
    }

    setForMode(mode);
    if (!ok) return 0; // a failed argument leaves the text as written
    out.append(result.c_str(), result.size());
    count = static_cast<int>(local.restOfText - nameStart);
    return 1;
}
