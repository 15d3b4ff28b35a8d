// Common ground of the application framework: Windows headers, the export
// macro and the few MFC-style type names every other header uses.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The framework is one shared library: the host and every UI module must use
// the same copy, so that a window made by a module belongs to the host's loop.
#ifdef AFXFRAMEWORK_BUILDING
#define AFX_API __declspec(dllexport)
#else
#define AFX_API __declspec(dllimport)
#endif

#define AFXAPI __stdcall

class CObject;
class CCmdTarget;
class CWnd;
class CWinThread;
class CWinApp;
class CDialog;
class CDC;
class CGdiObject;
class CString;
