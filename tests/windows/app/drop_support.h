// A real HDROP, as the shell hands one to a window in WM_DROPFILES.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace apptest {

// The names follow the header, each terminated, with one more terminator
// at the end. DragFinish frees it.
inline HDROP makeDrop(const std::vector<std::u16string>& paths) {
    std::u16string names;
    for (const auto& p : paths)
        names += p + u'\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (names.size() + 1) * 2);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    if (!header)
        return nullptr;
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    names.copy(reinterpret_cast<char16_t*>(header + 1), names.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace apptest
