// The private window messages of the shell and its pages.
#pragma once

#include <windows.h>

inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;   // shell -> main window
inline constexpr UINT kReleasePreviewMessage = WM_USER + 101; // frame -> collection page
inline constexpr UINT kDropFilesMessage = WM_USER + 102;      // collection list -> its page
inline constexpr UINT kAddFileMessage = WM_USER + 103;        // to the collection page
