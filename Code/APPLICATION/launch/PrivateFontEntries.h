// How RegisterPrivateFont and UnregisterPrivateFont reach the platform: the
// graphics library's AddFontResourceExA and RemoveFontResourceExA are not
// linked but looked up by name when first needed.
#pragma once

#include <afxwin.h>

// The shape of both entries: file name, FR_* flags, reserved (null).
typedef int(WINAPI* PFN_FONT_RESOURCE_EX)(LPCSTR lpszFileName, DWORD fl, PVOID pdv);
// Finds one of them by its export name; null when it cannot be found.
typedef PFN_FONT_RESOURCE_EX (*PFN_FIND_FONT_ENTRY)(LPCSTR lpszEntryName);

// The real lookup: loads "gdi32.dll" (by its wide name) and asks it for the
// entry. The library handle is neither kept nor released.
PFN_FONT_RESOURCE_EX FindGdiFontEntry(LPCSTR lpszEntryName);

// Replaces the lookup used from the next call on and returns the one it
// replaces; null restores FindGdiFontEntry. Lets a test watch (and count)
// the platform calls while they still reach the platform.
PFN_FIND_FONT_ENTRY SetFontEntryFinder(PFN_FIND_FONT_ENTRY pfnFind);
