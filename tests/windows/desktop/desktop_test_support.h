// Helpers of the desktop tests: pictures made at build time, the program's
// files, registry values, scripted message boxes (BMPs: the picture tests').
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/image_test_util.h"
#include "platform/message_box.h"
#include "platform/system_info.h"

namespace desktest {

using namespace imgtest;

inline const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline bool exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }
inline void remove(const std::u16string& path) { DeleteFileW(W(path)); }

inline std::u16string picture(const std::u16string& name) { // made at build time
    std::u16string path = u16(PLOCHAR_DESKTOP_PICTURES "/") + name;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return path;
}
inline std::u16string programFile(const std::u16string& name) { // next to the test program
    char16_t path[plat::kPathUnits];
    return plat::programFolderFile(name.c_str(), path, plat::kPathUnits) ? path : u"";
}

// REG_SZ value under HKEY_CURRENT_USER; "<missing>" when it cannot be read.
inline std::u16string userString(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    const LONG read = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes);
    return read == ERROR_SUCCESS ? reinterpret_cast<const char16_t*>(buffer) : u"<missing>";
}
// Sets a value, creating the key; deletes it when `data` is null.
inline void setValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    data ? RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), bytes) : RegDeleteValueW(k, name);
    RegCloseKey(k);
}
inline void setUserString(const wchar_t* key, const wchar_t* name, const std::u16string& value) {
    setValue(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), DWORD((value.size() + 1) * 2));
}

inline WallpaperEntry entryFor(const std::u16string& path, int32_t style) {
    WallpaperEntry e = imgtest::entryFor(path); // also for files that do not exist
    e.style = style, e.fontMode = kFontKeep, e.changeColours = 0;
    return e;
}

// Answers message boxes from a list (the last answer repeats) and records
// their texts and flags. Outside a script every box is a test failure: a
// real one would wait for a user who never comes.
class ScriptedBoxes {
  public:
    struct Box {
        std::u16string text;
        uint32_t flags;
    };
    explicit ScriptedBoxes(std::vector<int> answers = {IDOK}) {
        answers_ = std::move(answers), boxes_.clear();
        plat::setMessageBoxHook(answer);
    }
    ~ScriptedBoxes() { plat::setMessageBoxHook(unexpected); }
    const std::vector<Box>& boxes() const { return boxes_; }
    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> texts;
        for (const Box& box : boxes_)
            texts.push_back(box.text);
        return texts;
    }
    static int unexpected(void*, const char16_t* text, const char16_t*, uint32_t flags) {
        ADD_FAILURE() << "unexpected message box: " << plat::toUtf8(text);
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

  private:
    static int answer(void*, const char16_t* text, const char16_t*, uint32_t flags) {
        boxes_.push_back({text, flags});
        return answers_[std::min(boxes_.size(), answers_.size()) - 1];
    }
    static inline std::vector<int> answers_;
    static inline std::vector<Box> boxes_;
};

} // namespace desktest
