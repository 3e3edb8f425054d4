// The ordered list of pictures that the program cycles through.
//
// Slots hold owned entries; non-empty slots always form a prefix, so slot 0
// alone tells whether the collection is empty. slotCount only grows, and
// copies keep slot positions, so comparing with an earlier copy tells exactly
// what changed.
#pragma once

#include <cstdint>

#include "collection/wallpaper_entry.h"

enum ChangeMode : int32_t { kChangeRandom = 0, kChangeNext = 1, kChangePrevious = 2 };

enum class AddOutcome { Added, Failed, AlreadyPresent };

// What putting a picture on the desktop came to.
enum ApplyResult : int {
    kApplyFailed = 0,    // the user has already been told
    kApplied = 1,        //
    kApplyCancelled = 2, // by the user
};
// Puts one entry on the desktop; returns an ApplyResult.
using ApplyFunction = int (*)(const WallpaperEntry& entry, void* context);

class WallpaperCollection {
  public:
    WallpaperCollection() = default;
    WallpaperCollection(const WallpaperCollection& other);
    WallpaperCollection& operator=(const WallpaperCollection& other);
    virtual ~WallpaperCollection();

    void clear();
    bool equals(const WallpaperCollection& other) const;

    // Adds a picture whose file exists, in the first empty slot (growing the
    // array by 10 when full). Paths compare case-insensitively.
    AddOutcome addPath(const char16_t* p, WallpaperEntry** added = nullptr);
    // The first entry in slot order whose path equals p case-insensitively.
    WallpaperEntry* findByPath(const char16_t* p) const;

    WallpaperEntry* first() const;
    WallpaperEntry* last() const;
    WallpaperEntry* nextOf(const WallpaperEntry* e) const;     // null e: first; no wrap-around
    WallpaperEntry* previousOf(const WallpaperEntry* e) const; // null e: last; no wrap-around

    // Returns the entry now before the removed one, or null.
    WallpaperEntry* removeEntry(WallpaperEntry* e);
    // Removes, in one pass, every entry for which doomed answers true (asked
    // once for each entry, in slot order); returns how many went. The result
    // is that of removeEntry for each of them: the rest keep their order, and
    // a removed current entry passes current to the nearest entry kept
    // before it.
    int32_t removeEntries(bool (*doomed)(const WallpaperEntry& e, void* context), void* context);
    bool swapEntries(WallpaperEntry* a, WallpaperEntry* b);
    // By file name without folder and extension, case-insensitively; empty
    // slots last. Not stable.
    void sortByName();
    int32_t entryCount() const;
    bool isEmpty() const { return !slots || slotCount <= 0 || !slots[0]; }

    // Chooses an entry by mode (random, next, previous with wrap-around) and
    // hands it to apply. On success (1) the entry becomes current and is
    // copied into CurrentWallpaper. Returns the chosen entry either way.
    // A failed entry does not become current, but forward and backward
    // changes move on past it instead of trying it again.
    WallpaperEntry* pickAndShow(int32_t mode, ApplyFunction apply, void* context);
    // The entry a next (1) or previous (2) change would choose now; null for
    // an empty collection or another mode.
    WallpaperEntry* following(int32_t mode) const;

    // The collection file. A failed save leaves the previous file as it was.
    bool saveToFile(const char16_t* name) const;
    // On a fault the entries read so far stay in the collection.
    bool loadFromFile(const char16_t* name);

    // The k-th (1-based) non-empty slot in slot order, or null.
    WallpaperEntry* nthEntry(int32_t k) const;
    int32_t indexOf(const WallpaperEntry* e) const; // -1 when not present

    // Written only by the members (tests build a collection by hand before
    // anything looks a path up): the path index below relies on it, as it
    // relies on an entry's path not changing while the entry is here.
    WallpaperEntry** slots = nullptr;
    int32_t slotCount = 0;
    WallpaperEntry* current = nullptr;

  private:
    void copyFrom(const WallpaperCollection& other);
    void dropPathIndex() const;
    bool buildPathIndex() const;
    void indexNewEntry(WallpaperEntry* e);
    void unindexEntry(const WallpaperEntry* e);

    // The entries ordered by compareTextNoCase of their paths, so that a
    // duplicate check costs log n comparisons instead of one per entry: a
    // dropped photo folder adds thousands of pictures one by one. Made on the
    // first look-up, kept up to date by adding and removing, dropped by
    // anything else that replaces entries. Without memory for it, look-ups
    // fall back to walking the slots.
    mutable WallpaperEntry** byPath = nullptr;
    mutable int32_t byPathCount = 0;
    mutable int32_t byPathCapacity = 0;
    mutable bool byPathValid = false;

    // The entry whose apply failed after `current` was shown, so that the
    // next step starts beyond it. It counts only while current is still
    // skippedFrom: any other change of current forgets it.
    WallpaperEntry* skipped = nullptr;
    WallpaperEntry* skippedFrom = nullptr;
};
