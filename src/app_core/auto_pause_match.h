// Matching window titles against the automatic-pause list, and the list of
// titles the user has exempted by cancelling an automatic pause.
//
// The list holds items each followed by "\n"; text after the last "\n" is
// not an item, and items of fewer than 2 units are ignored. Titles and items
// are compared lower-cased, where only A-Z are lowered: other letters
// (Czech accented capitals too) must match in case.
#pragma once

#include <cstddef>
#include <cstdint>

// Capacity of IgnoredTitles including its terminator.
inline constexpr size_t kIgnoredTitlesUnits = 1024;
// Window titles are read into buffers of this many units (GetWindowTextW).
inline constexpr size_t kTitleUnits = 499;
// Items and ignored titles are used with at most this many units.
inline constexpr size_t kItemUnits = 499;

// Lower-cased titles of windows exempt from the automatic pause, each followed
// by "\n". A title is recorded only when it fits whole with its "\n" and the
// terminator, so the buffer can never overflow and never holds a cut title.
extern char16_t IgnoredTitles[kIgnoredTitlesUnits];

// Lowers A-Z only, in place.
void lowerAsciiLetters(char16_t* text);

bool containsText(const char16_t* haystack, const char16_t* needle);

// Calls f(item) for each item of at least 2 units (lower-cased, at most
// kItemUnits units) until f returns false. Returns false when f stopped it.
using ItemVisitor = bool (*)(const char16_t* item, void* context);
bool forEachItem(const char16_t* list, ItemVisitor visit, void* context);

enum class TitleVerdict {
    NoMatch,     // try the next window
    Match,       // the automatic pause applies
    SkipWindow,  // an item is exempt: this window does not count
};

// Step of the window search for one lower-cased title.
TitleVerdict matchTitle(const char16_t* lowerTitle, const char16_t* list, const char16_t* ignored);

// Whether a lower-cased title contains any item (the exempt list not consulted).
bool titleHasAnyItem(const char16_t* lowerTitle, const char16_t* list);

// Appends a lower-cased title and "\n" when it fits whole; false otherwise.
bool recordIgnoredTitle(char16_t* ignored, size_t units, const char16_t* lowerTitle);

// Keeps only the exempt titles (of at least 2 units) for which windowExists
// finds a window whose lower-cased title contains them.
using WindowSearch = bool (*)(const char16_t* lowerPart, void* context);
void pruneIgnoredTitles(char16_t* ignored, size_t units, WindowSearch windowExists, void* context);

// What the periodic check does in the present state. presenceSwitches: the
// user wants a pause for a full-screen program or the battery saver.
enum class AutoPauseStep {
    Search,     // look for a reason to pause (presence, matching windows): state becomes 2 or 0
    ClearStale, // automatic pause with an empty list and no presence switch: back to 0
    Nothing,
};
AutoPauseStep autoPauseStep(int32_t pauseState, bool windowVisible, const char16_t* list,
                            bool (*screenSaverRunning)(), bool presenceSwitches);

// Reasons for the automatic pause that come from what the user is doing
// rather than from window titles.
struct PresenceReasons {
    bool fullScreen;   // a full-screen program is in front
    bool batterySaver; // the battery saver is on
};

struct PresenceTests {
    bool (*fullScreenProgram)();
    bool (*batterySaver)();
};

struct ExtraSettingsRecord;

// The reasons that hold now; only the tests whose switch is on are asked.
PresenceReasons presenceReasons(const ExtraSettingsRecord& extra, const PresenceTests& tests);

// Whether the reasons of now pause the change. exempt holds the reasons the
// user cancelled an automatic pause for: each stays exempt until it ends, so
// the pause is not back a moment after the cancel.
bool presencePauses(const PresenceReasons& now, PresenceReasons& exempt);
