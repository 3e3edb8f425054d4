// Presses "Obnov staré logo" for the Windows 98 end-to-end test: prints the
// Windows version Wine shows this program, then ("version" argument: only
// that) runs RestoreStartupLogo, answering Yes and printing every box's text.
#include <cstdio>

#include "desktop/desktop_shell.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"

int wmain(int argc, wchar_t** argv) {
    plat::OsVersion os = plat::osVersion();
    std::printf("version %u %u.%u\n", unsigned(os.platformId), unsigned(os.major), unsigned(os.minor));
    if (argc > 1 && argv[1][0] == L'v')
        return 0;
    plat::setMessageBoxHook([](void*, const char16_t* text, const char16_t*, uint32_t) {
        std::printf("%s\n", plat::toUtf8(text).c_str());
        return int(plat::kIdYes);
    });
    RestoreStartupLogo(nullptr);
    return 0;
}
