// A real HDROP, as the shell hands one to a window in WM_DROPFILES.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace apptest {

// DragFinish frees it.
inline HDROP makeDrop(const std::vector<std::u16string>& paths) {
    size_t units = 1;
    for (const auto& p : paths)
        units += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(char16_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    if (!header)
        return nullptr;
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* names = reinterpret_cast<char16_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const auto& p : paths) {
        std::memcpy(names, p.c_str(), (p.size() + 1) * sizeof(char16_t));
        names += p.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace apptest
