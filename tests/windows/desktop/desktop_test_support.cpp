#include "desktop_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "image/bmp_file.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"

namespace desktest {
namespace {
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
} // namespace

std::u16string picture(const std::u16string& name) {
    std::u16string folder = plat::fromUtf8(PLOCHAR_DESKTOP_PICTURES);
    for (char16_t& c : folder)
        if (c == u'/')
            c = u'\\';
    return folder + u"\\" + name;
}

std::u16string programFile(const std::u16string& name) {
    char16_t path[plat::kPathUnits];
    if (!plat::programFolderFile(name.c_str(), path, plat::kPathUnits))
        return u"";
    return path;
}

bool exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }
void remove(const std::u16string& path) { DeleteFileW(W(path)); }

std::u16string userString(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return u"<missing>";
    return reinterpret_cast<const char16_t*>(buffer);
}

void setUserString(const wchar_t* key, const wchar_t* name, const std::u16string& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * 2));
    RegCloseKey(k);
}

void writeTestBmp(const std::u16string& path, int32_t w, int32_t h, uint16_t bits) {
    uint32_t entries = bits == 8 ? 64 : 0;
    uint32_t stride = dibStride(static_cast<uint32_t>(w), bits);
    std::vector<uint8_t> table(entries * 4);
    for (uint32_t i = 0; i < entries; ++i) {
        table[i * 4] = static_cast<uint8_t>(i * 4);
        table[i * 4 + 1] = static_cast<uint8_t>(255 - i * 3);
        table[i * 4 + 2] = static_cast<uint8_t>((i * 37) & 255);
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = &pixels[static_cast<size_t>(y) * stride];
            if (bits == 8) {
                p[x] = static_cast<uint8_t>((x / 3 + y / 2) % 64);
            } else {
                int bytes = bits / 8;
                p[x * bytes] = static_cast<uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
                p[x * bytes + 1] = static_cast<uint8_t>(y * 255 / (h > 1 ? h - 1 : 1));
                p[x * bytes + 2] = static_cast<uint8_t>((x * 7 + y * 13) & 255);
            }
        }
    uint8_t header[kInfoHeaderBytes];
    makeInfoHeader(header, w, h, bits, entries, 0);
    writeBmpFile(path.c_str(), header, table.data(), entries, pixels.data(), stride, static_cast<uint32_t>(h));
}

PackedDib loadBmp(const std::u16string& path) {
    plat::FileHandle f = plat::openForRead(path.c_str());
    if (!f)
        return PackedDib();
    int32_t abortFlag = 0;
    PackedDib dib = readBmp(f, &abortFlag);
    plat::closeFile(f);
    return dib;
}

DibFacts factsOf(const PackedDib& dib) {
    DibLayout layout;
    if (!locateDib(dib, &layout))
        return {};
    return {layout.width, layout.rows, layout.bitCount};
}

bool samePicture(const PackedDib& a, const PackedDib& b) {
    DibLayout la, lb;
    if (!locateDib(a, &la) || !locateDib(b, &lb))
        return false;
    if (la.width != lb.width || la.rows != lb.rows || la.bitCount != lb.bitCount || la.tableEntries != lb.tableEntries ||
        la.stride != lb.stride || la.topDown != lb.topDown)
        return false;
    uint32_t tableBytes = la.tableEntries * la.entryBytes;
    uint64_t pixelBytes = static_cast<uint64_t>(la.stride) * static_cast<uint32_t>(la.rows);
    return std::equal(a.data() + la.tableOffset, a.data() + la.tableOffset + tableBytes, b.data() + lb.tableOffset) &&
           std::equal(a.data() + la.pixelOffset, a.data() + la.pixelOffset + pixelBytes, b.data() + lb.pixelOffset);
}

WallpaperEntry entryFor(const std::u16string& path, int32_t style) {
    WallpaperEntry e;
    e.setPath(path.c_str());
    plat::copyText(e.path, plat::kPathUnits, path.c_str()); // also for files that do not exist
    e.style = style;
    e.fontMode = kFontKeep;
    e.changeColours = 0;
    return e;
}

namespace {
std::vector<int> g_answers;
size_t g_next = 0;
std::vector<ScriptedBoxes::Box> g_boxes;

int answerBox(void*, const char16_t* text, const char16_t* caption, uint32_t flags) {
    g_boxes.push_back({text ? text : u"", caption ? caption : u"", flags});
    if (g_answers.empty())
        return IDOK;
    int answer = g_answers[g_next < g_answers.size() ? g_next : g_answers.size() - 1];
    ++g_next;
    return answer;
}
} // namespace

ScriptedBoxes::ScriptedBoxes(std::vector<int> answers) {
    g_answers = std::move(answers);
    g_next = 0;
    g_boxes.clear();
    plat::setMessageBoxHook(answerBox);
}
// A real box would wait for a user who never comes: outside a script every
// box is a test failure.
static int unexpectedBox(void*, const char16_t* text, const char16_t*, uint32_t flags) {
    ADD_FAILURE() << "unexpected message box: " << plat::toUtf8(text);
    return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}

ScriptedBoxes::~ScriptedBoxes() { plat::setMessageBoxHook(unexpectedBox); }

namespace {
const bool g_boxesGuarded = (plat::setMessageBoxHook(unexpectedBox), true);
}
const std::vector<ScriptedBoxes::Box>& ScriptedBoxes::boxes() const { return g_boxes; }

} // namespace desktest
