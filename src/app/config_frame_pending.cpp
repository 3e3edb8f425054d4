// Until the tab frame and its pages are built, the configuration window shows
// only its four buttons: these calls succeed and do nothing.
#include "app/config_frame.h"

bool buildConfigFrame(HWND) { return true; }
void destroyConfigFrame() {}
HWND currentConfigPage() { return nullptr; }
void showCollectionTab() {}
void refreshCollectionPage() {}
void createButtonTooltips(HWND) {}
void prepareCollectionDialogs(HWND) {}
