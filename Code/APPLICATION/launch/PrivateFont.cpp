#include "PrivateFont.h"

#include "PrivateFontEntries.h"

namespace {

// Process-wide, touched only on the UI thread. The entries stay null until a
// lookup succeeds; a result stays 0 until a platform call returns non-zero,
// and then never changes again.
PFN_FONT_RESOURCE_EX g_pfnAddFontResourceEx = nullptr;
int g_nAddResult = 0;
PFN_FONT_RESOURCE_EX g_pfnRemoveFontResourceEx = nullptr;
int g_nRemoveResult = 0;

PFN_FIND_FONT_ENTRY g_pfnFindEntry = &FindGdiFontEntry;

// One latch: finds the entry until it is found, calls it until it succeeds,
// and from then on only reports the remembered result.
int CallLatched(PFN_FONT_RESOURCE_EX& pfnEntry, int& nResult, LPCSTR lpszEntryName,
                const CString& path)
{
    if (!pfnEntry)
        pfnEntry = g_pfnFindEntry(lpszEntryName);
    if (pfnEntry && nResult == 0)
        nResult = pfnEntry(path, FR_PRIVATE, nullptr);
    return nResult;
}

} // namespace

PFN_FIND_FONT_ENTRY SetFontEntryFinder(PFN_FIND_FONT_ENTRY pfnFind)
{
    PFN_FIND_FONT_ENTRY pfnPrevious = g_pfnFindEntry;
    g_pfnFindEntry = pfnFind ? pfnFind : &FindGdiFontEntry;
    return pfnPrevious;
}

int RegisterPrivateFont(CString path)
{
    return CallLatched(g_pfnAddFontResourceEx, g_nAddResult, "AddFontResourceExA", path);
}

int UnregisterPrivateFont(CString path)
{
    return CallLatched(g_pfnRemoveFontResourceEx, g_nRemoveResult, "RemoveFontResourceExA", path);
}
