// Counts the GDI and USER objects this process holds, for leak checks.
//
// GetGuiResources answers where the platform implements it. Wine 8 only has a
// stub that returns 0, so there the counts come from the platform's own
// bookkeeping instead:
// - GDI: Wine keeps its GDI handle table where the process environment block
//   points (GdiSharedHandleTable, as Windows does); a live object's entry has
//   a non-null object address.
// - USER: every window (of this process), icon, cursor and menu has a slot in
//   the 16-bit USER handle space, and Wine accepts a handle without its
//   generation word, so probing each slot finds every live one.
#pragma once

#include <windows.h>

enum class GuiCountSource {
    GetGuiResources, // the platform's own count
    HandleTable,     // GDI: the shared GDI handle table
    HandleProbe,     // USER: probing the USER handle space
};

struct GuiObjectCount {
    long nObjects = 0;
    GuiCountSource source = GuiCountSource::GetGuiResources;
};

GuiObjectCount CountGdiObjects();
GuiObjectCount CountUserObjects();

const char* GuiCountSourceName(GuiCountSource source);
