// Records the display font's platform calls on their way to the platform,
// from outside the launcher's code: while a recorder exists, this program's
// own GetProcAddress (its import, which the launcher's code linked into the
// program calls) hands out stand-ins for AddFontResourceExA and
// RemoveFontResourceExA that record each call and then make it. Each test
// runs in a process of its own, so the registration latches start open; an
// entry once found stays cached for the process, so later calls still reach
// the platform, unrecorded once the recorder has gone.
#pragma once

#include <windows.h>

#include <string>

#include "ImportPatch.h"

struct FontEntryCalls {
    int nLookups = 0; // GetProcAddress asked for the entry
    int nCalls = 0;
    std::string lastPath;
    DWORD dwLastFlags = 0;
    PVOID pLastReserved = reinterpret_cast<PVOID>(1);
};

class FontEntryRecorder {
public:
    FontEntryRecorder();
    ~FontEntryRecorder();
    FontEntryRecorder(const FontEntryRecorder&) = delete;
    FontEntryRecorder& operator=(const FontEntryRecorder&) = delete;

    bool IsRecording() const { return m_patch.IsApplied(); }

    FontEntryCalls add;    // AddFontResourceExA
    FontEntryCalls remove; // RemoveFontResourceExA
    // While set, the lookups find nothing, as on a system without the entries.
    bool bLookupsFail = false;

private:
    ImportPatch m_patch;
};
