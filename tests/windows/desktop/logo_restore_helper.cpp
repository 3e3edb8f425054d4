// Presses "Obnov staré logo" for the Windows 98 end-to-end test: runs
// RestoreStartupLogo in a process that Wine shows as Windows 98, answers
// every question with Yes and prints each box's text.
#include <cstdio>

#include "desktop/desktop_shell.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"

namespace {
int answerYes(void*, const char16_t* text, const char16_t*, uint32_t) {
    std::printf("%s\n", plat::toUtf8(text).c_str());
    return plat::kIdYes;
}
} // namespace

// "version": only prints the Windows version Wine shows this program.
int wmain(int argc, wchar_t** argv) {
    plat::OsVersion os = plat::osVersion();
    std::printf("version %u %u.%u\n", static_cast<unsigned>(os.platformId), static_cast<unsigned>(os.major),
                static_cast<unsigned>(os.minor));
    if (argc > 1 && argv[1][0] == L'v')
        return 0;
    plat::setMessageBoxHook(answerYes);
    RestoreStartupLogo();
    return 0;
}
