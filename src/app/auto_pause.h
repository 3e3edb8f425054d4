// Automatic pause: watching the top-level windows' titles, full-screen
// programs and the battery saver (timer 4), and the screen saver.
#pragma once

// Timer 4's work: may switch PauseState between 0 and 2.
void checkAutoPause();

// The user cancelled an automatic pause: the windows that caused it become
// exempt until they close, a full-screen program or the battery saver until
// it ends.
void recordIgnoredWindows();

bool isScreenSaverRunning();
