// Decisions of the configuration window that need no window: which tabs a
// system shows, the interval fields, the automatic-pause substring list and
// the logo delay text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "collection/wallpaper_collection.h"

// Where a page of the configuration window exists.
enum class PagePresence : int32_t { Always, Windows9xOnly, NtOnly };

// Whether a page is shown on a system with this GetVersionExW platform id.
bool isPagePresent(PagePresence presence, uint32_t platformId);

// The hours and minutes fields of the interval as their up-downs leave them:
// a typed number is taken as the up-down takes it (its low 16 bits, signed)
// and held to 0-23 hours and 0-59 minutes; a pair of zeros turns the minutes
// into 1, as the interval can never be 0. The interval stored is the one the
// fields then show.
inline constexpr uint32_t kMaxIntervalHours = 23, kMaxIntervalMinutes = 59;
struct IntervalFields {
    uint32_t hours;
    uint32_t minutes;
    bool hoursCorrected;   // the hours field must show hours
    bool minutesCorrected; // the minutes field must show minutes
    int32_t intervalMinutes;
};
IntervalFields readIntervalFields(uint32_t hours, uint32_t minutes);

// The automatic-pause substrings as the settings page lists them: every piece
// of list that ends with "\n", cut to kAutoPauseItemUnits - 1 units; empty and
// one-character pieces are left out, text after the last "\n" is ignored.
inline constexpr size_t kAutoPauseItemUnits = 500;
std::vector<std::u16string> autoPauseItems(const char16_t* list);

// The stored form of the substrings: each followed by "\n"; null when there
// are none.
std::unique_ptr<char16_t[]> buildAutoPauseList(const std::vector<std::u16string>& items);

// "ihned" for 0, else "%i min".
void logoDelayText(int32_t minutes, char16_t* out, size_t units);

// Removes every entry whose file is missing; returns how many went.
int32_t removeMissingEntries(WallpaperCollection& collection);
