// Every message box of the program goes through messageBox, so that
// in-process tests can read and answer boxes instead of a user.
#pragma once

#include <cstdint>

namespace plat {

// The MessageBoxW flags and results the program uses, with their Win32 values.
enum : uint32_t {
    kMbOk = 0x0,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton2 = 0x100,
    kMbSetForeground = 0x10000,
    kMbTopmost = 0x40000,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// owner is an HWND on Windows, or null.
int messageBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags);

// A hook, when set, answers every box in place of the real one. Without a
// hook Windows shows MessageBoxW; elsewhere the box is written to stderr and
// answered with OK (or No for a question).
using MessageBoxHook = int (*)(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags);
void setMessageBoxHook(MessageBoxHook hook);

// How many boxes and dialogs of the user-interface thread are open now (a box
// shown from inside a box counts twice). While one is open, the command that
// showed it is still running underneath: its owner takes no clicks, but
// messages still arrive, so whatever would hide, replace or destroy what that
// command works on must wait until the box is answered. messageBox counts
// itself; other modal dialogs (file and colour dialogs) hold an OpenDialog.
int openDialogCount();

class OpenDialog {
  public:
    OpenDialog();
    ~OpenDialog();
    OpenDialog(const OpenDialog&) = delete;
    OpenDialog& operator=(const OpenDialog&) = delete;
};

// While one is held, boxes shown without an owner are owned by its window:
// code that knows no window (the collection reader reporting a damaged file)
// then reports from inside a command of that window like the window itself.
class DefaultBoxOwner {
  public:
    explicit DefaultBoxOwner(void* owner);
    ~DefaultBoxOwner();
    DefaultBoxOwner(const DefaultBoxOwner&) = delete;
    DefaultBoxOwner& operator=(const DefaultBoxOwner&) = delete;

  private:
    void* previous_;
};

} // namespace plat
