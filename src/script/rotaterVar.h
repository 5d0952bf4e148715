// Rotaters: a string variable that follows a numeric master setting and shows the label
// of the master's current choice, and that can step the master to the next choice.
//
// The choices are the rotater's array children: element 0 is the value, element 1 the
// label, further elements are free parameters. Arrays named "x" are the choices offered
// to the viewer; an array named "redirect" forwards its element 0 to the value in its
// element 1. A child "noRotate" turns stepping into a refresh; a script child "change"
// runs (on the master's parent) after every update of the text.
#pragma once

#include "variables/variableBasics.h"

class CrotaterVar : public CstringVar {
  public:
    using Cvariable::operator=;
    CrotaterVar();
    ~CrotaterVar() override;
    int getType() override { return TYPE_ROTATER; }
    int getClass() override { return CLASS_ROTATER; }
    char const* getClassName() override { return "ROTATER"; }

    // Follows m (null detaches and shows "unset"); any earlier master is let go first.
    void setMaster(Cvariable* m);
    // -1: the master is going away; anything else from the master refreshes the text.
    void messageFromMaster(int message, Cvariable* from) override;
    // The choice array for value: the exact one (redirects followed), else the nearest
    // when allowNearest and value is not 0, else the first choice (the master is snapped
    // to it). Null when there are no choices, or "bad array" for a redirect cycle.
    CarrayVar* findMatchingArray(float value, int allowNearest);
    // Position of the master's choice among the children named "x"; -1 when none.
    int getIndexOfCurrentSelection();
    // Sets the master to v when some choice matches it.
    void set(float v);
    // Steps the master to the next choice (any nonzero step); 0 or "noRotate" refreshes.
    void rotate(int step);
    // Runs the child script "change" on the master's parent.
    void runChangeScript();

    Cvariable* master = nullptr; // not owned
    Cstring main;                // prefix of every display text, child "main"

  private:
    CarrayVar* findArray(float value, int allowNearest, std::vector<CarrayVar*>& redirects);
    CarrayVar* firstNumericChoice();
    // Drops the master and the slave link it holds to this rotater; the text is left alone.
    void releaseMaster();
    void setMasterValue(float value);

    bool badRedirect = false; // the last search met a redirect cycle or a broken redirect
    bool snapping = false;    // the master is being snapped to the first choice
    int refreshDepth = 0;     // nested messageFromMaster refreshes in progress
    static constexpr int kMaxRefreshDepth = 8;
};
