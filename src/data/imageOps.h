// Shared pieces of the whole-image operations of imageFile: the composition methods, the
// outline step codes and the coverage lists of the glyph copy.
#pragma once

#include <cstdint>
#include <vector>

// Composition method codes of imageFile::comp and the "comp" image command.
enum compMethod : short {
    COMP_REPLACE = 0,
    COMP_OVER = 1,
    COMP_OVER_COLOR_ONLY = 2,
    COMP_ADD = 3,
    COMP_SUBTRACT = 4,
    COMP_MULT = 5,
    COMP_MASKBLEND = 6,
};

class imageFile;

// Whether every row of the image (one to four channels) is held in memory, so that an
// operation may touch any pixel: no banded row window, no borrowed rows left unplaced.
bool holdsWholeImage(imageFile const& im);

// The method code of a method word, or -1 for a word that names none.
int compMethodCode(char const* word);

// Outline step codes: entry v has floor((v + 8) / 16) low bits set, so OR-ing the codes of
// a neighbourhood keeps the bits of its largest sample. Built on first use.
uint16_t const* fattenCodes();

// One source index of a glyph copy: its weight on the current destination index and on
// the next, and whether the destination index advances after it.
struct coverageStep {
    int weight0;
    int weight1;
    bool advance;
};

// How source indices first..last spread over the destination span [start, end) of a line
// of destSize samples, weights in 1/255.
class CcorrelateLineC {
  public:
    // Fills steps; a source index that would straddle past destSize ends the list.
    void correlate(int first, int last, float start, float end, int destSize);

    std::vector<coverageStep> steps;
    int firstSource = 0; // source index of steps[0]
    int firstDest = 0;   // destination index that steps[0] starts on
};
