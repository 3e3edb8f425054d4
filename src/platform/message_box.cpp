#include "platform/message_box.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/text.h"
#include <cstdio>
#endif

namespace plat {
namespace {
MessageBoxHook g_hook = nullptr;
}

void setMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }

int messageBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    if (g_hook)
        return g_hook(owner, text, caption, flags);
#ifdef _WIN32
    return MessageBoxW(static_cast<HWND>(owner), reinterpret_cast<LPCWSTR>(text), reinterpret_cast<LPCWSTR>(caption),
                       flags);
#else
    std::fprintf(stderr, "[%s] %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
    return (flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
#endif
}

} // namespace plat
