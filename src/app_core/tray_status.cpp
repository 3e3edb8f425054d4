#include "app_core/tray_status.h"

#include "app_core/app_texts.h"
#include "app_core/format_text.h"
#include "platform/text.h"
#include "settings/app_settings.h"

TrayStatus trayStatus(int32_t m, int32_t windowOpen, int32_t entries, int32_t pauseState, int32_t periodicChange) {
    TrayStatus s{};
    if (pauseState != kRunning || windowOpen != 0 || entries == 0) {
        s.icon = kIconPaused;
        const char16_t* text = windowOpen != 0 ? app_texts::kTipWindowOpen
                               : entries == 0  ? app_texts::kTipEmpty
                               : pauseState == kPausedByUser ? app_texts::kTipPaused
                                                 : app_texts::kTipAutoPaused;
        plat::copyText(s.tip, kTipUnits, text);
        return s;
    }
    s.icon = kIconRunning;
    if (!periodicChange) {
        plat::copyText(s.tip, kTipUnits, app_texts::kTipNoChange);
    } else if (m == 1) {
        formatText(s.tip, kTipUnits, app_texts::kTipMinuteOne, m);
    } else if (m >= 2 && m <= 4) {
        formatText(s.tip, kTipUnits, app_texts::kTipMinutesFew, m);
    } else if (m >= 5 && m <= 59) {
        formatText(s.tip, kTipUnits, app_texts::kTipMinutesMany, m);
    } else {
        // Division truncating toward zero, as C++ does.
        const int32_t h = m / 60;
        const int32_t r = m % 60;
        if (r != 0)
            formatText(s.tip, kTipUnits, app_texts::kTipHoursMinutes, h, r < 0 ? -r : r);
        else if (m == 60)
            plat::copyText(s.tip, kTipUnits, app_texts::kTipOneHour);
        else if (m >= 61 && m <= 240)
            formatText(s.tip, kTipUnits, app_texts::kTipHoursFew, h);
        else
            formatText(s.tip, kTipUnits, app_texts::kTipHoursMany, h);
    }
    return s;
}

TrayStatus busyTrayStatus(bool buildingLogo) {
    TrayStatus s{};
    s.icon = kIconBusy;
    plat::copyText(s.tip, kTipUnits, buildingLogo ? app_texts::kTipBusyLogo : app_texts::kTipBusyChange);
    return s;
}
