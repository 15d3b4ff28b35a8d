// Counts the display font's platform calls on their way to the platform:
// while an object exists, RegisterPrivateFont and UnregisterPrivateFont find
// entries that count each call and then call the real one. Each test runs
// in a process of its own, so the registration latches start open.
#pragma once

#include <afxwin.h>

#include <string>

struct FontEntryCalls {
    int nCalls = 0;
    std::string lastPath;
};

class FontEntryCounter {
public:
    FontEntryCounter();
    ~FontEntryCounter();
    FontEntryCounter(const FontEntryCounter&) = delete;
    FontEntryCounter& operator=(const FontEntryCounter&) = delete;

    FontEntryCalls add;    // AddFontResourceExA
    FontEntryCalls remove; // RemoveFontResourceExA
};
