// Decisions of the collection page that need no window: which files are
// pictures, how a long path is shortened to fit, what a mixed selection shows
// and which icon sample is drawn over the preview.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the name ends in ".bmp", ".dib", ".jpg" or ".jpeg" (any case),
// taken after the last dot.
bool hasPictureExtension(const char16_t* name);

// How many characters of a path fit in the path field: its client width
// times 115/96 (in single precision), divided by the font's average
// character width. At least 0.
int32_t pathFieldChars(int32_t clientWidth, int32_t averageCharWidth);

// The path as the path field shows it in at most about `fit` characters:
// whole when it fits, otherwise the first folder piece, as many following
// pieces as the room allows, "\..." and the file name with its backslash.
void shortenPath(const char16_t* path, int32_t fit, char16_t* out, size_t units);

class WallpaperEntry;

// The two colour check boxes of the page, as a selection of several entries
// needs them. The mixed forms are three-state boxes.
enum class BoxState { Unchecked, Checked, MixedIndeterminate, MixedUnchecked };

// What the page shows for a selection of entries.
struct SelectionSummary {
    int32_t style = 0; // -1: the entries have different styles
    bool changeColoursMixed = false;
    bool fontModeMixed = false;
    BoxState changeColoursBox = BoxState::Unchecked;
    BoxState fontBox = BoxState::Unchecked;
    bool showBackground = false;
    bool showFont = false;
    // The common colour, or `neutral` when they differ or no entry counts.
    uint32_t background = 0;
    uint32_t font = 0;
};
SelectionSummary summariseSelection(const WallpaperEntry* const* entries, size_t count, uint32_t neutral);

// The colour every counted entry shares, or `neutral` when they differ or
// none is counted.
struct ColourVote {
    uint32_t neutral;
    uint32_t colour = 0;
    bool seen = false;
    bool differ = false;
    void add(uint32_t c) {
        differ = differ || (seen && c != colour);
        colour = c;
        seen = true;
    }
    uint32_t result() const { return seen && !differ ? colour : neutral; }
};

// The sample desktop icon drawn over the preview.
struct IconSample {
    bool draw = false;
    bool frame = false;  // a frame in the background colour along the control
    bool opaque = false; // the label's background filled with the background colour
    uint32_t background = 0;
    uint32_t text = 0;
};
// listviewShadow: the system draws icon labels with a shadow and a
// transparent background, so only the font colour can change.
IconSample chooseIconSample(bool listviewShadow, int32_t changeColours, int32_t fontMode, uint32_t background,
                            uint32_t font);

// Black on a light background (any of red, green or blue above 150), else
// white.
uint32_t labelTextColour(uint32_t background);

// Whether the selected list positions (ascending) can move one place up or
// down in a list of itemCount items.
bool canMoveSelection(const int32_t* positions, size_t count, int32_t itemCount, bool up);
