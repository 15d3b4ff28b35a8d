// Saves a rectangle of the screen as a 24-bit BMP file (shared by the
// screenshot helpers).
#pragma once

#include <windows.h>

// False when the picture could not be taken or written.
bool SaveScreenRect(const RECT& rc, const char* pszPath);
