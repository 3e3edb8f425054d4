#include "app_core/config_rules.h"

#include <cstring>

#include "app_core/format_text.h"
#include "platform/system_info.h"

namespace {
constexpr char16_t kDelayNow[] = u"ihned";
constexpr char16_t kDelayMinutes[] = u"%i min";
} // namespace

bool isPagePresent(PagePresence presence, uint32_t platformId) {
    switch (presence) {
    case PagePresence::Windows9xOnly: return platformId == plat::kPlatformWin9x;
    case PagePresence::NtOnly: return platformId == plat::kPlatformNt;
    case PagePresence::Always: break;
    }
    return true;
}

namespace {
// UDM_SETPOS takes the low 16 bits of its number as a signed value and keeps
// it inside the range.
uint32_t asUpDownHolds(uint32_t typed, uint32_t top) {
    const int32_t low = static_cast<int16_t>(static_cast<uint16_t>(typed & 0xFFFF));
    return low < 0 ? 0 : static_cast<uint32_t>(low) > top ? top : static_cast<uint32_t>(low);
}
} // namespace

IntervalFields readIntervalFields(uint32_t hours, uint32_t minutes) {
    IntervalFields f{asUpDownHolds(hours, kMaxIntervalHours), asUpDownHolds(minutes, kMaxIntervalMinutes), false,
                     false, 0};
    if (f.hours == 0 && f.minutes == 0)
        f.minutes = 1;
    f.hoursCorrected = f.hours != hours;
    f.minutesCorrected = f.minutes != minutes;
    f.intervalMinutes = static_cast<int32_t>(f.hours * 60 + f.minutes);
    return f;
}

std::vector<std::u16string> autoPauseItems(const char16_t* list) {
    std::vector<std::u16string> items;
    if (!list)
        return items;
    const char16_t* start = list;
    for (const char16_t* p = list; *p; ++p) {
        if (*p != u'\n')
            continue;
        const size_t length = static_cast<size_t>(p - start);
        if (length > 1)
            items.emplace_back(start, length < kAutoPauseItemUnits ? length : kAutoPauseItemUnits - 1);
        start = p + 1;
    }
    return items;
}

std::unique_ptr<char16_t[]> buildAutoPauseList(const std::vector<std::u16string>& items) {
    if (items.empty())
        return nullptr;
    // Sized from the items themselves, so no running count can fall short.
    size_t units = 1;
    for (const std::u16string& item : items)
        units += item.size() + 1;
    auto list = std::make_unique<char16_t[]>(units);
    char16_t* out = list.get();
    for (const std::u16string& item : items) {
        std::memcpy(out, item.data(), item.size() * sizeof(char16_t));
        out += item.size();
        *out++ = u'\n';
    }
    *out = 0;
    return list;
}

void logoDelayText(int32_t minutes, char16_t* out, size_t units) {
    if (minutes == 0)
        formatText(out, units, kDelayNow, nullptr, 0);
    else
        formatText(out, units, kDelayMinutes, FormatArg(minutes));
}

int32_t removeMissingEntries(WallpaperCollection& collection) {
    // One pass: entry by entry, each removal moved every later slot and
    // looked the entry up from the start.
    return collection.removeEntries([](const WallpaperEntry& e, void*) { return !e.fileExists(); }, nullptr);
}
