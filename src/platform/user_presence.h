// Whether the user is busy with something a wallpaper change must not
// disturb: a full-screen program in the foreground, a locked workstation, or
// the battery saver asking programs to hold back.
// Win32 only; each is asked anew on every call (cheap: a few system calls).
#pragma once

namespace plat {

// True while a game, a video, a presentation or any other program fills its
// whole monitor in the foreground: the shell says so (Vista on), or the
// foreground window covers the monitor it is on. The desktop, the taskbar and
// this program's own windows do not count.
bool fullScreenProgramRunning();

// True while the workstation is locked, or while another desktop than this
// program's (the secure one of a password prompt, another user's) takes the
// input. Always false on 9x.
bool workstationLocked();

// True while the battery saver is on (Windows 10 on; older systems leave that
// byte of the power status 0, and NT 4 has no power status at all).
bool batterySaverOn();

} // namespace plat
