#include "app_core/auto_pause_match.h"

#include "platform/text.h"
#include "settings/app_settings.h"

char16_t IgnoredTitles[kIgnoredTitlesUnits] = {};

void lowerAsciiLetters(char16_t* text) {
    for (; text && *text; ++text)
        if (*text >= u'A' && *text <= u'Z')
            *text = static_cast<char16_t>(*text + (u'a' - u'A'));
}

bool containsText(const char16_t* haystack, const char16_t* needle) {
    if (!haystack || !needle)
        return false;
    if (!needle[0])
        return true;
    for (const char16_t* h = haystack; *h; ++h) {
        size_t i = 0;
        while (needle[i] && h[i] == needle[i])
            ++i;
        if (!needle[i])
            return true;
    }
    return false;
}

namespace {

// Calls visit(start, length) for every piece of the list that ends with
// "\n" and holds two units or more; false when visit stopped the walk.
template <class Visit> bool forEachLine(const char16_t* list, Visit visit) {
    if (!list)
        return true;
    const char16_t* start = list;
    for (const char16_t* p = list; *p; ++p) {
        if (*p != u'\n')
            continue;
        const size_t length = static_cast<size_t>(p - start);
        if (length >= 2 && !visit(start, length))
            return false;
        start = p + 1;
    }
    return true;
}

// The piece as a text of at most units - 1 units.
void copyPiece(char16_t* out, size_t units, const char16_t* start, size_t length) {
    const size_t n = length < units - 1 ? length : units - 1;
    for (size_t i = 0; i < n; ++i)
        out[i] = start[i];
    out[n] = 0;
}

} // namespace

bool forEachItem(const char16_t* list, ItemVisitor visit, void* context) {
    return forEachLine(list, [&](const char16_t* start, size_t length) {
        char16_t item[kItemUnits + 1];
        copyPiece(item, kItemUnits + 1, start, length);
        lowerAsciiLetters(item);
        return visit(item, context);
    });
}

namespace {
struct MatchContext {
    const char16_t* title;
    const char16_t* ignored;
    TitleVerdict verdict;
};
} // namespace

TitleVerdict matchTitle(const char16_t* lowerTitle, const char16_t* list, const char16_t* ignored) {
    MatchContext m{lowerTitle, ignored, TitleVerdict::NoMatch};
    forEachItem(
        list,
        [](const char16_t* item, void* c) {
            auto* ctx = static_cast<MatchContext*>(c);
            if (ctx->ignored && containsText(ctx->ignored, item)) {
                ctx->verdict = TitleVerdict::SkipWindow;
                return false;
            }
            if (containsText(ctx->title, item)) {
                ctx->verdict = TitleVerdict::Match;
                return false;
            }
            return true;
        },
        &m);
    return m.verdict;
}

bool titleHasAnyItem(const char16_t* lowerTitle, const char16_t* list) {
    return !forEachItem(
        list, [](const char16_t* item, void* c) { return !containsText(static_cast<const char16_t*>(c), item); },
        const_cast<char16_t*>(lowerTitle));
}

bool recordIgnoredTitle(char16_t* ignored, size_t units, const char16_t* lowerTitle) {
    if (!ignored || units == 0 || !lowerTitle)
        return false;
    const size_t used = plat::textLength(ignored);
    const size_t length = plat::textLength(lowerTitle);
    // The title, its "\n" and the terminator must all fit.
    if (length == 0 || used + length + 2 > units)
        return false;
    for (size_t i = 0; i < length; ++i)
        ignored[used + i] = lowerTitle[i];
    ignored[used + length] = u'\n';
    ignored[used + length + 1] = 0;
    return true;
}

void pruneIgnoredTitles(char16_t* ignored, size_t units, WindowSearch windowExists, void* context) {
    if (!ignored || units == 0)
        return;
    char16_t kept[kIgnoredTitlesUnits] = {};
    const size_t keptUnits = units < kIgnoredTitlesUnits ? units : kIgnoredTitlesUnits;
    forEachLine(ignored, [&](const char16_t* start, size_t length) {
        char16_t title[kItemUnits + 1];
        copyPiece(title, kItemUnits + 1, start, length);
        if (windowExists(title, context)) {
            // The whole recorded title stays, even beyond kItemUnits.
            char16_t whole[kIgnoredTitlesUnits];
            copyPiece(whole, kIgnoredTitlesUnits, start, length);
            recordIgnoredTitle(kept, keptUnits, whole);
        }
        return true;
    });
    plat::copyText(ignored, units, kept);
}

AutoPauseStep autoPauseStep(int32_t pauseState, bool windowVisible, const char16_t* list,
                            bool (*screenSaverRunning)(), bool presenceSwitches) {
    const bool canPause = (list && list[0]) || presenceSwitches;
    if (pauseState != kPausedByUser && !windowVisible && canPause && !(screenSaverRunning && screenSaverRunning()))
        return AutoPauseStep::Search;
    if (pauseState == kAutoPaused && !canPause)
        return AutoPauseStep::ClearStale;
    return AutoPauseStep::Nothing;
}

PresenceReasons presenceReasons(const ExtraSettingsRecord& extra, const PresenceTests& tests) {
    PresenceReasons now{false, false};
    now.fullScreen = extra.pauseForFullScreen == 1 && tests.fullScreenProgram && tests.fullScreenProgram();
    now.batterySaver = extra.pauseOnBatterySaver == 1 && tests.batterySaver && tests.batterySaver();
    return now;
}

bool presencePauses(const PresenceReasons& now, PresenceReasons& exempt) {
    exempt.fullScreen = exempt.fullScreen && now.fullScreen;
    exempt.batterySaver = exempt.batterySaver && now.batterySaver;
    return (now.fullScreen && !exempt.fullScreen) || (now.batterySaver && !exempt.batterySaver);
}
