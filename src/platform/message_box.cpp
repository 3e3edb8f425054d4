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
// Boxes are shown by the user-interface thread only.
int g_openDialogs = 0;
void* g_defaultOwner = nullptr;
}

void setMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }

int openDialogCount() { return g_openDialogs; }
OpenDialog::OpenDialog() { ++g_openDialogs; }
OpenDialog::~OpenDialog() { --g_openDialogs; }
DefaultBoxOwner::DefaultBoxOwner(void* owner) : previous_(g_defaultOwner) { g_defaultOwner = owner; }
DefaultBoxOwner::~DefaultBoxOwner() { g_defaultOwner = previous_; }

int messageBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    const OpenDialog open;
    if (!owner)
        owner = g_defaultOwner;
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
