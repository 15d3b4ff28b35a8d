// Framework internals shared between its source files (not exported).
#pragma once

#include "AfxApi.h"
#include "CString.h"

void AfxSetCurrentApp(CWinApp* pApp);
// The module's file name without folder and extension.
CString AfxGetModuleBaseName(HMODULE hModule);
// The box behind AfxMessageBox, without the application's override.
int AfxShowMessageBox(LPCSTR lpszText, UINT nType);
// The first module of the resource chain (CDynLinkLibrary) that holds the
// named resource; null when none does.
HINSTANCE AfxFindResourceInChain(LPCSTR lpszName, LPCSTR lpszType);
// A resource or class name for the debug output: "#n" for a number.
CString AfxNameText(LPCSTR lpszName);
// A resource for the debug output: "dialog template #100", "icon \"MAIN\"", ...
CString AfxResourceText(LPCSTR lpszName, LPCSTR lpszType);
