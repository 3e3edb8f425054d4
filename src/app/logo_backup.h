// The one-time backup of the Windows 9x start-up logo on the first start.
#pragma once

// Copies "logo.sys" of the Windows drive's root to "logo_sys.ori" and records
// the outcome as LogoSaved. Does nothing unless LogoBackupNeeded and Windows 9x.
void backupStartupLogoOnce();
