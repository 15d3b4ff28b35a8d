// The contract between the launcher and a UI module.
//
// A UI module is a DLL built with the same application framework library as
// the launcher. The launcher loads it by bare file name ("QuavPlusUI.dll" or
// "QUAVLXUI.dll") and calls it only through the four functions below, which
// the module exports under these exact, undecorated names with the C calling
// convention (the caller removes the arguments). Each is looked up by name
// at the moment it is needed; nothing is cached.
//
//   load -> DLLInitInstance -> DLLPreTranslateMessage for every message the
//   launcher's loop pre-translates -> DLLExitInstance -> unload.
//   DLLGetDumpPath may be called at any time while the module is loaded, on
//   whichever thread has crashed.
//
// A module includes this header and defines the functions with
// QUAV_UI_MODULE_EXPORT; the launcher uses the pointer types, so the two
// sides cannot drift apart.
#pragma once

#include <afxwin.h>

#define QUAV_UI_MODULE_EXPORT extern "C" __declspec(dllexport)

// Size of the buffer DLLGetDumpPath receives; no size is passed with it.
const int kDumpPathBufferSize = 1040;

// Called once, right after the module is loaded. The three values are the
// application's printer set-up handles (null) and its initial show command.
// Returns the module's main window, an object of the shared framework: the
// launcher's loop ends when that window is destroyed, and at once when the
// result is null.
typedef CWnd*(__cdecl* PFN_DLLINITINSTANCE)(HGLOBAL hDevMode, HGLOBAL hDevNames, int nCmdShow);

// Called with every message the launcher's loop pre-translates, after the
// framework's own pre-translation (even when that consumed the message). The
// result is ignored: a module can act on a message, never swallow it.
typedef BOOL(__cdecl* PFN_DLLPRETRANSLATEMESSAGE)(MSG* pMsg);

// Called once when the application ends (also after a failed start); the
// module releases what it holds, its windows included. It is unloaded right
// after. The result is ignored.
typedef int(__cdecl* PFN_DLLEXITINSTANCE)();

// Called on the crashing thread when an exception went unhandled. Write the
// folder for the crash dump into the zero-filled buffer of
// kDumpPathBufferSize bytes, NUL-terminated; the launcher appends a
// backslash and the file name. The result is ignored.
typedef BOOL(__cdecl* PFN_DLLGETDUMPPATH)(char* pszFolder);

// Declarations for module authors.
QUAV_UI_MODULE_EXPORT CWnd* __cdecl DLLInitInstance(HGLOBAL hDevMode, HGLOBAL hDevNames,
                                                    int nCmdShow);
QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLPreTranslateMessage(MSG* pMsg);
QUAV_UI_MODULE_EXPORT int __cdecl DLLExitInstance();
QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLGetDumpPath(char* pszFolder);
