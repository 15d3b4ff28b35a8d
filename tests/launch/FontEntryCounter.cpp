#include "FontEntryCounter.h"

#include "launch/PrivateFontEntries.h"

namespace {

FontEntryCounter* g_pCounter = nullptr;
PFN_FONT_RESOURCE_EX g_pfnRealAdd = nullptr;
PFN_FONT_RESOURCE_EX g_pfnRealRemove = nullptr;

void Count(FontEntryCalls FontEntryCounter::*pCalls, LPCSTR lpszFileName)
{
    // The entries found stay cached for the process: calls after the
    // counter has gone still reach the platform, uncounted.
    if (g_pCounter) {
        ++(g_pCounter->*pCalls).nCalls;
        (g_pCounter->*pCalls).lastPath = lpszFileName;
    }
}

int WINAPI CountedAdd(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    Count(&FontEntryCounter::add, lpszFileName);
    return g_pfnRealAdd(lpszFileName, fl, pdv);
}

int WINAPI CountedRemove(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    Count(&FontEntryCounter::remove, lpszFileName);
    return g_pfnRealRemove(lpszFileName, fl, pdv);
}

PFN_FONT_RESOURCE_EX CountingFinder(LPCSTR lpszEntryName)
{
    if (lstrcmpA(lpszEntryName, "AddFontResourceExA") == 0) {
        g_pfnRealAdd = FindGdiFontEntry(lpszEntryName);
        return g_pfnRealAdd ? &CountedAdd : nullptr;
    }
    g_pfnRealRemove = FindGdiFontEntry(lpszEntryName);
    return g_pfnRealRemove ? &CountedRemove : nullptr;
}

} // namespace

FontEntryCounter::FontEntryCounter()
{
    g_pCounter = this;
    SetFontEntryFinder(&CountingFinder);
}

FontEntryCounter::~FontEntryCounter()
{
    SetFontEntryFinder(nullptr);
    g_pCounter = nullptr;
}
