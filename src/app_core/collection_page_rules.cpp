#include "app_core/collection_page_rules.h"

#include "collection/wallpaper_entry.h"
#include "platform/text.h"

bool hasPictureExtension(const char16_t* name) {
    if (!name)
        return false;
    const char16_t* dot = nullptr;
    for (const char16_t* p = name; *p; ++p)
        if (*p == u'.')
            dot = p;
    if (!dot)
        return false;
    for (const char16_t* ext : {u".bmp", u".dib", u".jpg", u".jpeg"})
        if (plat::compareTextNoCase(dot, ext) == 0)
            return true;
    return false;
}

int32_t pathFieldChars(int32_t clientWidth, int32_t averageCharWidth) {
    if (clientWidth <= 0 || averageCharWidth <= 0)
        return 0;
    const float factor = 115.0f / 96.0f;
    // Rounded to a float before it is cut: x87 code keeps more bits and makes
    // 114.99... of 96 * 115 / 96.
    const volatile float scaled = static_cast<float>(clientWidth) * factor;
    return static_cast<int32_t>(scaled) / averageCharWidth;
}

void shortenPath(const char16_t* path, int32_t fit, char16_t* out, size_t units) {
    if (!out || units == 0)
        return;
    out[0] = 0;
    if (!path)
        return;
    const size_t length = plat::textLength(path);
    size_t lastSlash = length;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == u'\\')
            lastSlash = i;
    if (fit < 0 || length <= static_cast<size_t>(fit) || lastSlash == length) {
        plat::copyText(out, units, path);
        return;
    }
    const int64_t nameLength = static_cast<int64_t>(length - lastSlash);
    int64_t room = fit - nameLength - 3;
    // Folder pieces run from a backslash (or the start) up to the next one.
    size_t end = 0;
    while (end < lastSlash) {
        size_t next = end + 1;
        while (next < lastSlash && path[next] != u'\\')
            ++next;
        const int64_t piece = static_cast<int64_t>(next - end);
        if (end > 0 && piece > room)
            break;
        room -= piece;
        end = next;
    }
    if (end + 4 + (length - lastSlash) >= length) { // shortening would not shorten it
        plat::copyText(out, units, path);
        return;
    }
    const size_t head = end + 1 < units ? end : units - 1;
    for (size_t i = 0; i < head; ++i)
        out[i] = path[i];
    out[head] = 0;
    plat::appendText(out, units, u"\\...");
    plat::appendText(out, units, path + lastSlash);
}

namespace {
int32_t onOff(int32_t v) {
    return v ? 1 : 0;
}
int32_t mode(int32_t fontMode) {
    return fontMode == kFontColoured ? kFontColoured : kFontKeep;
}
} // namespace

SelectionSummary summariseSelection(const WallpaperEntry* const* entries, size_t count, uint32_t neutral) {
    SelectionSummary s;
    s.background = s.font = neutral;
    if (!entries || count == 0)
        return s;
    const WallpaperEntry& first = *entries[0];
    s.style = first.style;
    for (size_t i = 1; i < count; ++i) {
        if (entries[i]->style != first.style)
            s.style = -1;
        s.changeColoursMixed =
            s.changeColoursMixed || onOff(entries[i]->changeColours) != onOff(first.changeColours);
        s.fontModeMixed = s.fontModeMixed || mode(entries[i]->fontMode) != mode(first.fontMode);
    }
    const bool changes = !s.changeColoursMixed && onOff(first.changeColours);
    const bool coloured = !s.fontModeMixed && mode(first.fontMode) == kFontColoured;
    // With some entries changing colours and some not, a common coloured font
    // is not what the whole selection will show.
    if (s.changeColoursMixed && coloured)
        s.fontModeMixed = true;
    ColourVote background{neutral}, font{neutral};
    for (size_t i = 0; i < count; ++i) {
        if (!s.changeColoursMixed || onOff(entries[i]->changeColours))
            background.add(entries[i]->backgroundColour);
        if (!s.fontModeMixed || mode(entries[i]->fontMode) == kFontColoured)
            font.add(entries[i]->fontColour);
    }
    s.background = background.result();
    s.font = font.result();

    if (s.changeColoursMixed) {
        s.changeColoursBox = BoxState::MixedIndeterminate;
        s.fontBox = s.fontModeMixed ? BoxState::MixedIndeterminate : BoxState::MixedUnchecked;
    } else {
        s.changeColoursBox = changes ? BoxState::Checked : BoxState::Unchecked;
        s.fontBox = s.fontModeMixed ? BoxState::MixedIndeterminate
                    : coloured      ? BoxState::Checked
                                    : BoxState::Unchecked;
    }
    s.showBackground = s.changeColoursMixed || changes;
    s.showFont = s.showBackground && (s.fontModeMixed || coloured);
    return s;
}

uint32_t labelTextColour(uint32_t background) {
    const uint32_t red = background & 0xFF, green = (background >> 8) & 0xFF,
                   blue = (background >> 16) & 0xFF;
    return red > 150 || green > 150 || blue > 150 ? 0x000000 : 0xFFFFFF;
}

IconSample chooseIconSample(bool listviewShadow, int32_t changeColours, int32_t fontMode, uint32_t background,
                            uint32_t font) {
    IconSample s;
    constexpr uint32_t kWhite = 0xFFFFFF;
    if (!changeColours) {
        // With shadowed labels the system's own look: no frame, white text.
        s.draw = listviewShadow;
        s.text = kWhite;
        return s;
    }
    s.draw = true;
    s.frame = true;
    s.background = background;
    if (listviewShadow) {
        s.text = kWhite;
    } else if (mode(fontMode) == kFontColoured) {
        s.text = font;
    } else {
        s.opaque = true;
        s.text = labelTextColour(background);
    }
    return s;
}

bool canMoveSelection(const int32_t* positions, size_t count, int32_t itemCount, bool up) {
    if (!positions || count == 0 || static_cast<int64_t>(count) >= itemCount)
        return false;
    for (size_t i = 0; i < count; ++i)
        if (positions[i] == (up ? 0 : itemCount - 1) || positions[i] < 0 || positions[i] >= itemCount)
            return false;
    return true;
}
