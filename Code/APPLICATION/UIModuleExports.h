// Looking up a UI module's exports, and reporting one that is missing.
#pragma once

#include "UIModuleContract.h"

// The export's address as its function type; null when the module (or the
// export) is missing. Looked up anew at every call, never cached.
template <class PFN> PFN FindUIModuleExport(HMODULE hModule, const char* pszName)
{
    return AfxGetProcAddress<PFN>(hModule, pszName);
}

// Shows "Unable to load FUNCTION: <name>" and waits for OK.
void ReportMissingExport(const char* pszExportName);
// Shows "Unable to load DLL: <file name>" and waits for OK.
void ReportModuleNotLoaded(const char* pszModuleFileName);
