// Process-wide helpers of the framework: the current application, its
// thread, handles and resources, and the standard message box.
#pragma once

#include "AfxApi.h"

AFX_API CWinApp* AFXAPI AfxGetApp();
// The application's thread object when called on the thread that runs the
// application; null on other threads and before the application exists.
AFX_API CWinThread* AFXAPI AfxGetThread();
AFX_API CWnd* AFXAPI AfxGetMainWnd();
AFX_API LPCSTR AFXAPI AfxGetAppName();
AFX_API HINSTANCE AFXAPI AfxGetInstanceHandle();
AFX_API HINSTANCE AFXAPI AfxGetResourceHandle();
// The module that holds the named resource: the executable first, then each
// loaded UI module (see CDynLinkLibrary), then the framework library; the
// executable when none has it.
AFX_API HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
AFX_API void AFXAPI AfxPostQuitMessage(int nExitCode);
// The class of windows created without one of their own.
AFX_API LPCSTR AFXAPI AfxRegisterDefaultWndClass();

// A modal message box owned by the application's main window (when called on
// its thread), titled with the application's name. nType 0 is one OK button
// with the warning icon. Works before any application object exists.
AFX_API int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// An export of a loaded library as the function type the caller expects;
// null when the export (or the library) is missing.
template <class PFN> PFN AfxGetProcAddress(HMODULE hModule, LPCSTR lpszName)
{
    return reinterpret_cast<PFN>(reinterpret_cast<void*>(::GetProcAddress(hModule, lpszName)));
}
