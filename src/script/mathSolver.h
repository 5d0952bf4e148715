// CmathSolver: turns the text of one script argument into a number or a text.
//
// Float mode: numbers, "$" variables, "~" local constants, built-in functions and the
// operators below, evaluated in double precision. Every operand becomes one symbol byte
// ("a" upward), the symbol string is reduced by precedence into a tree of nodes in the
// symbol table and the tree is evaluated. String mode: a concatenation of literal pieces,
// quoted texts, "$" variables and "{ }" groups.
//
// The solver runs for every script line, so a float solve touches no heap in the common
// case: nodes come from a per-solver arena and names are built in inline buffers.
// Nothing throws; failures are reported through the result and `errorReported`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "support/mystring.h"

class Cvariable;
class CmathSolver;
struct CsymbolString;

// Character classes: 1 name character, 2 operator character, 0 anything else. The class
// of "-" and "&" follows the mode of the solve in progress (2 in float, 1 in string mode).
extern unsigned char alphaNumeric[256];

// Fallback named values, consulted for "$" texts when a solver has no search variable.
extern std::vector<Cstring> varNameList;
extern std::vector<Cstring> valueList;

// Heap blocks the solver's own buffers have taken (names and chains past their inline
// storage); lets tests and benchmarks check that common solves stay off the heap.
extern uint64_t solverHeapBlocks;

// Text with inline storage; grows onto the heap only for long texts.
class CsolverText {
  public:
    CsolverText() { inlineBuf[0] = 0; }
    ~CsolverText();
    CsolverText(CsolverText const&) = delete;
    CsolverText& operator=(CsolverText const&) = delete;

    void append(char const* text, size_t n);
    void append(char const* text);
    void append(char c) { append(&c, 1); }
    void clear();
    char const* c_str() const { return data; }
    size_t size() const { return length; }

  private:
    char inlineBuf[160];
    char* data = inlineBuf;
    size_t length = 0;
    size_t capacity = sizeof inlineBuf;
};

// Abstract node of an expression.
class Csymbol {
  public:
    virtual ~Csymbol() = default;
    virtual double getSolveValue(CmathSolver* solver);
    // Appends the node's text; getSolveString wraps it for callers that want a Cstring.
    virtual void appendSolveString(CmathSolver* solver, CsolverText& out);
    virtual int getType() { return 0; }
    Cstring getSolveString(CmathSolver* solver);

    uint8_t symbolIndex = 0;
    Csymbol* poolNext = nullptr; // arena bookkeeping: every node made since the last clear
};

class CfloatConstantSymbol : public Csymbol {
  public:
    double getSolveValue(CmathSolver* solver) override;
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;
    int getType() override { return 2; }

    uint8_t negate = 0;
    uint8_t hasValue = 0;
    char const* text = ""; // literal text, kept in the solver's arena
    int textLength = 0;
    double value = 0.0;
};

class CstringConstantSymbol : public Csymbol {
  public:
    double getSolveValue(CmathSolver* solver) override;
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;
    int getType() override { return 3; }

    char const* text = "";
    int textLength = 0;
};

// One element of a concatenation chain.
class CstringAdd : public Csymbol {
  public:
    double getSolveValue(CmathSolver*) override { return 0.0; }
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;

    Csymbol* segment = nullptr;
    CstringAdd* next = nullptr;
};

// A "$" variable, looked up at every evaluation.
class CnewVarSymbol : public Csymbol {
  public:
    double getSolveValue(CmathSolver* solver) override;
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;

    CstringAdd* name = nullptr;
};

class CsimpleOp : public Csymbol {
  public:
    double getSolveValue(CmathSolver* solver) override;
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;
    int getType() override { return 7; }

    uint8_t operand = 0;
    uint8_t negate = 0;
};

class CbinaryOp : public Csymbol {
  public:
    double getSolveValue(CmathSolver* solver) override;
    void appendSolveString(CmathSolver* solver, CsolverText& out) override;
    int getType() override { return 8; }

    uint8_t left = 0;
    uint8_t op = 0;
    uint8_t right = 0;
};

// Bump storage for the nodes of one solve; released as a whole by the next solve.
class CsymbolArena {
  public:
    CsymbolArena() = default;
    ~CsymbolArena();
    CsymbolArena(CsymbolArena const&) = delete;
    CsymbolArena& operator=(CsymbolArena const&) = delete;

    void* allocate(size_t bytes);
    char const* copyText(char const* text, size_t n);
    void reset();

  private:
    struct Block {
        Block* next;
        size_t size;
    };
    alignas(16) unsigned char inlineBuf[2048];
    size_t used = 0;
    Block* blocks = nullptr; // overflow blocks; only long string chains reach them
    size_t blockUsed = 0;
};

class CmathSolver {
  public:
    enum _mode : int32_t { floatMode = 1, stringMode = 2 };
    static constexpr int maxSymbols = 26;      // "a" to "z"
    static constexpr int maxSymbolText = 255;  // bytes of a symbol string
    static constexpr int maxNesting = 24;      // function calls and "{ }" / "$" nesting
    static constexpr int maxLocalSolves = 512; // function-argument solves in one top-level solve

    CmathSolver();
    ~CmathSolver();
    CmathSolver(CmathSolver const&) = delete;
    CmathSolver& operator=(CmathSolver const&) = delete;

    // Float mode. value is 0 first, then the result whenever the text decomposed.
    // Returns 0 on success, 1 on error.
    int solveFloat(char const* text, double& value);
    // String mode: the concatenated text. Returns 0 on success, 1 on error.
    int solveString(char const* text, Cstring& result);

    void setSearchVariablePath(Cvariable* v) { searchVariablePath = v; }
    Cvariable* getSearchVariablePath() const { return searchVariablePath; }
    // Sets the mode and the classes of "-" and "&" in the shared table.
    void setForMode(_mode m);
    _mode getMode() const { return mode; }

    void clearError();
    // Records an error of this solve; the script runner stops the script after the line.
    void setError(char const* message);
    void setError(char const* format, char const* argument);
    // A malformed expression: records an exit reason at once (the run stops).
    void solverError(char const* format, char const* argument);

    uint8_t getErrorState() const { return errorState; }
    bool hasErrorReported() const { return errorReported != 0; }
    Cstring const& getErrorText() const { return errorText; }
    char const* getRestOfText() const { return restOfText; }
    int getConsumed() const { return consumed; }

    // Fallback list of named values.
    void setValue(char const* name, char const* value);
    Cstring getVariableString(char const* name);
    float getVariableFloat(char const* name);

    // Copies one name or literal piece of text into out; gives the characters consumed.
    int scanString(char const* text, CsolverText& out);

    // "$" lookups from a start object: 0 found, 1 not found (with the error raised).
    int searchUpParentsForVariableString(Cvariable* start, char const* name, Cstring& out);
    int searchUpParentsForVariableFloat(Cvariable* start, char const* name, double& value);
    int searchUpParentsForVariableText(Cvariable* start, char const* name, CsolverText& out);

    // Value of the node behind a symbol byte; used by the nodes themselves.
    double symbolValue(uint8_t symbolByte);
    void symbolText(uint8_t symbolByte, CsolverText& out);

    // Reduction support (used by CbinString).
    uint8_t registerNewVariable();
    void setSymbol(uint8_t symbolByte, Csymbol* node);
    template <class T> T* makeSymbol() {
        T* node = new (arena.allocate(sizeof(T))) T();
        node->poolNext = liveSymbols;
        liveSymbols = node;
        return node;
    }

  private:
    bool decompose(char const* text);
    void symbolizeFloat(char const* text, CsymbolString& out, bool& strayName);
    uint8_t symbolizeFloatValue(char const* literal, int n);
    int symbolizeVariablePath(char const* text, uint8_t& symbolByte);
    int symbolizeLocalConstantValue(char const* text, uint8_t& symbolByte);
    uint8_t addSymbol(Csymbol* node);
    uint8_t addComputedConstant(double value);
    // The node behind a symbol byte; null (with "bad variable index") for an empty slot.
    Csymbol* symbolAt(uint8_t symbolByte);
    void clearSymbols();

    // Concatenation chains; nameMode reads exactly one segment (a "$" name).
    CstringAdd* addString(char const*& p, bool nameMode);
    Csymbol* readSegment(char const*& p, bool nameMode);
    Csymbol* makeTextConstant(char const* text, size_t n);

    // Built-in functions (mathSolverFunctions.cpp). nameStart is the name, "(" follows it.
    uint8_t checkFloatFunctions(char const* nameStart, int nameLength, int& count);
    int checkStringFunctions(char const* nameStart, int nameLength, int& count, CsolverText& out);
    bool beginLocalSolve(CmathSolver& local, char const* nameStart, int nameLength);
    static void resetLocalSolveBudget();

  public:
    // The fields of the solver; the script runner reads errorReported and errorText.
    uint8_t firstSymbol = 'a';
    uint8_t errorState = 0;
    uint8_t errorReported = 0;
    uint8_t nextFreeSymbol = 'a';
    uint8_t simplified = 0;
    uint8_t rootSymbol = 0;
    int32_t consumed = 0;
    char const* restOfText = nullptr;
    Cstring errorText;
    Cvariable* searchVariablePath = nullptr;
    _mode mode = floatMode;

  private:
    Csymbol* symbols[maxSymbols] = {};
    int numSymbols = 0;
    int nesting = 0; // depth of this solver among the local solvers of function calls
    int chainDepth = 0;
    Csymbol* liveSymbols = nullptr;
    CsymbolArena arena;
};

// The one solver behind every script argument.
extern CmathSolver mathSolver;
