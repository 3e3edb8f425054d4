#include "collection/wallpaper_collection.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "collection/random.h"

WallpaperCollection::WallpaperCollection(const WallpaperCollection& other) { copyFrom(other); }

WallpaperCollection& WallpaperCollection::operator=(const WallpaperCollection& other) {
    if (this != &other) {
        clear();
        copyFrom(other);
    }
    return *this;
}

WallpaperCollection::~WallpaperCollection() { clear(); }

void WallpaperCollection::copyFrom(const WallpaperCollection& other) {
    if (!other.slots || other.slotCount <= 0)
        return;
    slots = new (std::nothrow) WallpaperEntry*[static_cast<size_t>(other.slotCount)]();
    if (!slots)
        return;
    slotCount = other.slotCount;
    for (int32_t i = 0; i < slotCount; ++i) {
        if (!other.slots[i])
            continue;
        slots[i] = new (std::nothrow) WallpaperEntry(*other.slots[i]);
        if (!slots[i]) { // out of memory: the result is an empty collection
            clear();
            return;
        }
        if (other.slots[i] == other.current)
            current = slots[i];
    }
}

void WallpaperCollection::clear() {
    dropPathIndex();
    for (int32_t i = 0; slots && i < slotCount; ++i)
        delete slots[i];
    delete[] slots;
    slots = nullptr;
    slotCount = 0;
    current = nullptr;
    skipped = skippedFrom = nullptr;
}

bool WallpaperCollection::equals(const WallpaperCollection& other) const {
    if (slotCount != other.slotCount)
        return false;
    if ((current == nullptr) != (other.current == nullptr))
        return false;
    if (current && !current->equals(*other.current))
        return false;
    for (int32_t i = 0; i < slotCount; ++i) {
        const WallpaperEntry* a = slots ? slots[i] : nullptr;
        const WallpaperEntry* b = other.slots ? other.slots[i] : nullptr;
        if ((a == nullptr) != (b == nullptr))
            return false;
        if (a && !a->equals(*b))
            return false;
    }
    return true;
}

AddOutcome WallpaperCollection::addPath(const char16_t* p, WallpaperEntry** added) {
    if (added)
        *added = nullptr;
    if (!p || !*p)
        return AddOutcome::Failed;
    if (findByPath(p))
        return AddOutcome::AlreadyPresent;
    int32_t index = 0;
    while (slots && index < slotCount && slots[index])
        ++index;
    if (!slots || index >= slotCount) {
        auto** grown = new (std::nothrow) WallpaperEntry*[static_cast<size_t>(slotCount) + 10]();
        if (!grown)
            return AddOutcome::Failed;
        for (int32_t i = 0; i < slotCount; ++i)
            grown[i] = slots[i];
        delete[] slots;
        slots = grown;
        index = slotCount;
        slotCount += 10;
    }
    auto* entry = new (std::nothrow) WallpaperEntry();
    if (!entry)
        return AddOutcome::Failed;
    if (!entry->setPath(p)) {
        delete entry;
        return AddOutcome::Failed;
    }
    slots[index] = entry;
    indexNewEntry(entry);
    if (added)
        *added = entry;
    return AddOutcome::Added;
}

namespace {

int comparePaths(const WallpaperEntry* a, const char16_t* p) { return plat::compareTextNoCase(a->path, p); }

// Bottom-up merge sort: it stays within its arrays even if the comparison
// were not a consistent order, which std::sort does not promise.
void sortByPathInto(WallpaperEntry** a, WallpaperEntry** scratch, int32_t n) {
    WallpaperEntry** from = a;
    WallpaperEntry** to = scratch;
    for (int64_t width = 1; width < n; width *= 2) {
        for (int64_t lo = 0; lo < n; lo += 2 * width) {
            const int64_t mid = std::min<int64_t>(lo + width, n), hi = std::min<int64_t>(lo + 2 * width, n);
            int64_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                to[k++] = comparePaths(from[j], from[i]->path) < 0 ? from[j++] : from[i++];
            while (i < mid)
                to[k++] = from[i++];
            while (j < hi)
                to[k++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != a)
        std::memcpy(a, from, sizeof(*a) * static_cast<size_t>(n));
}

// The first position whose path orders at or after p (upper: after p).
int32_t boundByPath(WallpaperEntry* const* v, int32_t n, const char16_t* p, bool upper) {
    int32_t lo = 0, hi = n;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int c = comparePaths(v[mid], p);
        if (c < 0 || (upper && c == 0))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

void WallpaperCollection::dropPathIndex() const {
    delete[] byPath;
    byPath = nullptr;
    byPathCount = byPathCapacity = 0;
    byPathValid = false;
}

bool WallpaperCollection::buildPathIndex() const {
    dropPathIndex();
    int32_t n = 0;
    for (int32_t i = 0; slots && i < slotCount; ++i)
        n += slots[i] ? 1 : 0;
    const int32_t capacity = n < 16 ? 16 : n + n / 2;
    byPath = new (std::nothrow) WallpaperEntry*[static_cast<size_t>(capacity)];
    auto* scratch = new (std::nothrow) WallpaperEntry*[static_cast<size_t>(n) + 1];
    if (!byPath || !scratch) {
        delete[] scratch;
        dropPathIndex();
        return false;
    }
    for (int32_t i = 0; slots && i < slotCount; ++i)
        if (slots[i])
            byPath[byPathCount++] = slots[i];
    sortByPathInto(byPath, scratch, byPathCount);
    delete[] scratch;
    byPathCapacity = capacity;
    byPathValid = true;
    return true;
}

void WallpaperCollection::indexNewEntry(WallpaperEntry* e) {
    if (!byPathValid)
        return; // the next look-up builds the index with e in it
    if (byPathCount == byPathCapacity) {
        const int32_t capacity = byPathCapacity * 2;
        auto* grown = capacity > byPathCapacity ? new (std::nothrow) WallpaperEntry*[static_cast<size_t>(capacity)]
                                                : nullptr;
        if (!grown) {
            dropPathIndex();
            return;
        }
        std::memcpy(grown, byPath, sizeof(*grown) * static_cast<size_t>(byPathCount));
        delete[] byPath;
        byPath = grown;
        byPathCapacity = capacity;
    }
    const int32_t at = boundByPath(byPath, byPathCount, e->path, true);
    std::memmove(byPath + at + 1, byPath + at, sizeof(*byPath) * static_cast<size_t>(byPathCount - at));
    byPath[at] = e;
    ++byPathCount;
}

void WallpaperCollection::unindexEntry(const WallpaperEntry* e) {
    for (int32_t i = 0; byPathValid && i < byPathCount; ++i) {
        if (byPath[i] == e) {
            std::memmove(byPath + i, byPath + i + 1, sizeof(*byPath) * static_cast<size_t>(byPathCount - i - 1));
            --byPathCount;
            return;
        }
    }
}

WallpaperEntry* WallpaperCollection::findByPath(const char16_t* p) const {
    if (!p || !*p || !slots)
        return nullptr;
    if (byPathValid || buildPathIndex()) {
        const int32_t from = boundByPath(byPath, byPathCount, p, false);
        int32_t end = from;
        while (end < byPathCount && comparePaths(byPath[end], p) == 0)
            ++end;
        if (end - from <= 1)
            return end > from ? byPath[from] : nullptr;
        // Only a damaged collection file brings the same path twice; then
        // the earlier slot wins, as it does in a walk of the slots.
        WallpaperEntry* found = byPath[from];
        for (int32_t i = from + 1; i < end; ++i)
            if (indexOf(byPath[i]) < indexOf(found))
                found = byPath[i];
        return found;
    }
    for (int32_t i = 0; i < slotCount; ++i)
        if (slots[i] && plat::compareTextNoCase(slots[i]->path, p) == 0)
            return slots[i];
    return nullptr;
}

int32_t WallpaperCollection::indexOf(const WallpaperEntry* e) const {
    for (int32_t i = 0; e && slots && i < slotCount; ++i)
        if (slots[i] == e)
            return i;
    return -1;
}

WallpaperEntry* WallpaperCollection::first() const { return isEmpty() ? nullptr : slots[0]; }

WallpaperEntry* WallpaperCollection::last() const {
    if (isEmpty())
        return nullptr;
    for (int32_t i = slotCount - 1; i >= 0; --i)
        if (slots[i])
            return slots[i];
    return nullptr;
}

WallpaperEntry* WallpaperCollection::nextOf(const WallpaperEntry* e) const {
    if (!e)
        return first();
    int32_t i = indexOf(e);
    if (i < 0)
        return nullptr;
    for (++i; i < slotCount; ++i)
        if (slots[i])
            return slots[i];
    return nullptr;
}

WallpaperEntry* WallpaperCollection::previousOf(const WallpaperEntry* e) const {
    if (!e)
        return last();
    int32_t i = indexOf(e);
    if (i < 0)
        return nullptr;
    for (--i; i >= 0; --i)
        if (slots[i])
            return slots[i];
    return nullptr;
}

WallpaperEntry* WallpaperCollection::removeEntry(WallpaperEntry* e) {
    if (!e || slotCount <= 0)
        return nullptr;
    const int32_t i = indexOf(e);
    if (i < 0)
        return nullptr;
    if (e == current)
        current = previousOf(e);
    if (e == skipped || e == skippedFrom)
        skipped = skippedFrom = nullptr;
    unindexEntry(e);
    delete e;
    for (int32_t k = i; k + 1 < slotCount; ++k)
        slots[k] = slots[k + 1];
    slots[slotCount - 1] = nullptr;
    return i > 0 ? slots[i - 1] : nullptr;
}

int32_t WallpaperCollection::removeEntries(bool (*doomed)(const WallpaperEntry& e, void* context), void* context) {
    if (!doomed || !slots)
        return 0;
    WallpaperEntry* keptBefore = nullptr;
    bool skipGone = false;
    int32_t kept = 0;
    for (int32_t i = 0; i < slotCount; ++i) {
        WallpaperEntry* e = slots[i];
        if (e && doomed(*e, context)) {
            if (e == current)
                current = keptBefore;
            skipGone = skipGone || e == skipped || e == skippedFrom;
            delete e;
            continue;
        }
        if (e)
            keptBefore = e;
        slots[kept++] = e;
    }
    const int32_t removed = slotCount - kept;
    if (removed == 0)
        return 0;
    for (int32_t i = kept; i < slotCount; ++i)
        slots[i] = nullptr;
    if (skipGone)
        skipped = skippedFrom = nullptr;
    dropPathIndex(); // the next look-up builds it from the entries kept
    return removed;
}

bool WallpaperCollection::swapEntries(WallpaperEntry* a, WallpaperEntry* b) {
    const int32_t i = indexOf(a), j = indexOf(b);
    if (i < 0 || j < 0)
        return false;
    std::swap(slots[i], slots[j]);
    return true;
}

namespace {

// An entry with its file name, cut out once, and where it can be had the
// name's rank among the names: the sort compares each entry some 2 log n
// times, and a comparison of two names (lstrcmpiW) costs about a microsecond
// under Wine, so that sorting 30,000 pictures took seconds. Empty slots have
// no entry; a name left null (no memory for the names) is cut when compared;
// rank -1: none.
struct NamedEntry {
    WallpaperEntry* entry;
    const char16_t* name;
    int32_t rank;
};

// Empty slots order after any entry; entries by file name only.
int compareByName(const NamedEntry& a, const NamedEntry& b) {
    if (!a.entry || !b.entry)
        return (a.entry ? 0 : 1) - (b.entry ? 0 : 1);
    if (a.rank >= 0 && b.rank >= 0)
        return a.rank < b.rank ? -1 : (a.rank > b.rank ? 1 : 0);
    if (a.name && b.name)
        return plat::compareTextNoCase(a.name, b.name);
    char16_t nameA[plat::kPathUnits], nameB[plat::kPathUnits];
    plat::fileNamePart(nameA, plat::kPathUnits, a.entry->path);
    plat::fileNamePart(nameB, plat::kPathUnits, b.entry->path);
    return plat::compareTextNoCase(nameA, nameB);
}

void quickSort(NamedEntry* v, int32_t lo, int32_t hi) {
    while (lo < hi) {
        const NamedEntry pivot = v[lo + (hi - lo) / 2];
        int32_t i = lo, j = hi;
        while (i <= j) {
            while (compareByName(v[i], pivot) < 0)
                ++i;
            while (compareByName(v[j], pivot) > 0)
                --j;
            if (i <= j)
                std::swap(v[i++], v[j--]);
        }
        // Recurse into the smaller half so that the stack stays shallow.
        if (j - lo < hi - i) {
            quickSort(v, lo, j);
            lo = i;
        } else {
            quickSort(v, i, hi);
            hi = j;
        }
    }
}

size_t nameUnits(const WallpaperEntry& e) {
    char16_t name[plat::kPathUnits];
    plat::fileNamePart(name, plat::kPathUnits, e.path);
    return plat::textLength(name) + 1;
}

// Ranks the named entries (0 for the first name in order, equal names
// equally) through sort keys, which compare as bytes. The ranks are used
// only when every two neighbours in key order compare by compareTextNoCase
// as their keys do: then ranking by rank orders exactly as comparing names.
void rankByKeys(NamedEntry* named, size_t n) {
    size_t count = 0, bytes = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!named[i].entry)
            continue;
        const size_t need = named[i].name ? plat::sortKeyNoCase(named[i].name, nullptr, 0) : 0;
        if (need == 0)
            return;
        ++count;
        bytes += need;
    }
    struct Key {
        size_t at, bytes;
        NamedEntry* named;
    };
    std::unique_ptr<Key[]> keys(new (std::nothrow) Key[count + 1]);
    std::unique_ptr<uint8_t[]> store(new (std::nothrow) uint8_t[bytes + 1]);
    if (!keys || !store)
        return;
    size_t k = 0, at = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!named[i].entry)
            continue;
        const size_t got = plat::sortKeyNoCase(named[i].name, store.get() + at, bytes - at);
        if (got == 0)
            return;
        keys[k++] = Key{at, got, &named[i]};
        at += got;
    }
    const uint8_t* base = store.get();
    auto compareKeys = [base](const Key& a, const Key& b) {
        return plat::compareSortKeys(base + a.at, a.bytes, base + b.at, b.bytes);
    };
    std::sort(keys.get(), keys.get() + count, [&](const Key& a, const Key& b) { return compareKeys(a, b) < 0; });
    for (size_t i = 1; i < count; ++i) {
        const int byKey = compareKeys(keys[i - 1], keys[i]);
        const int byText = plat::compareTextNoCase(keys[i - 1].named->name, keys[i].named->name);
        if ((byKey < 0) != (byText < 0) || (byKey == 0) != (byText == 0))
            return;
    }
    int32_t rank = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && compareKeys(keys[i - 1], keys[i]) != 0)
            ++rank;
        keys[i].named->rank = rank;
    }
}

} // namespace

void WallpaperCollection::sortByName() {
    if (!slots || slotCount <= 1)
        return;
    const size_t n = static_cast<size_t>(slotCount);
    std::unique_ptr<NamedEntry[]> named(new (std::nothrow) NamedEntry[n]);
    if (!named)
        return;
    size_t units = 0;
    for (size_t i = 0; i < n; ++i)
        units += slots[i] ? nameUnits(*slots[i]) : 0;
    std::unique_ptr<char16_t[]> names(new (std::nothrow) char16_t[units + 1]);
    char16_t* at = names.get();
    for (size_t i = 0; i < n; ++i) {
        named[i] = NamedEntry{slots[i], nullptr, -1};
        if (!slots[i] || !at)
            continue;
        const size_t length = nameUnits(*slots[i]);
        plat::fileNamePart(at, length, slots[i]->path);
        named[i].name = at;
        at += length;
    }
    rankByKeys(named.get(), n);
    quickSort(named.get(), 0, slotCount - 1);
    for (size_t i = 0; i < n; ++i)
        slots[i] = named[i].entry;
}

int32_t WallpaperCollection::entryCount() const {
    int32_t n = 0;
    for (int32_t i = 0; slots && i < slotCount; ++i)
        if (slots[i])
            ++n;
    return n;
}

WallpaperEntry* WallpaperCollection::nthEntry(int32_t k) const {
    for (int32_t i = 0; slots && i < slotCount; ++i)
        if (slots[i] && --k == 0)
            return slots[i];
    return nullptr;
}

WallpaperEntry* WallpaperCollection::following(int32_t mode) const {
    if (isEmpty() || (mode != kChangeNext && mode != kChangePrevious))
        return nullptr;
    const WallpaperEntry* from = skipped && current == skippedFrom ? skipped : current;
    WallpaperEntry* chosen = mode == kChangeNext ? nextOf(from) : previousOf(from);
    // Wrap around at either end.
    return chosen ? chosen : mode == kChangeNext ? first() : last();
}

WallpaperEntry* WallpaperCollection::pickAndShow(int32_t mode, ApplyFunction apply, void* context) {
    if (!slots || mode < kChangeRandom || mode > kChangePrevious || slotCount == 0 || !slots[0])
        return nullptr;
    WallpaperEntry* chosen =
        mode == kChangeRandom ? nthEntry(randomEntryNumber(entryCount())) : following(mode);
    if (!chosen)
        return nullptr;
    const int result = apply ? apply(*chosen, context) : kApplyFailed;
    if (result == kApplied) {
        CurrentWallpaper = *chosen;
        current = chosen;
        skipped = skippedFrom = nullptr;
    } else if (result == kApplyFailed && mode != kChangeRandom) {
        // A picture that cannot be shown must not hold up the slideshow.
        skipped = chosen;
        skippedFrom = current;
    }
    return chosen;
}
