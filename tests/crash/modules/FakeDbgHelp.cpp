// Stands in for the debug-help library but lacks MiniDumpWriteDump. A test
// copies it beside the launcher as "DBGHELP.DLL" (and has Wine prefer it to
// its own). Loading it leaves the file "fake-dbghelp-loaded" in the current
// directory, so the test knows that this library was the one found.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        HANDLE hFile = CreateFileA("fake-dbghelp-loaded", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            CloseHandle(hFile);
    }
    return TRUE;
}

// Some export of the real library, so that this is recognisably a stand-in.
extern "C" __declspec(dllexport) BOOL WINAPI SymInitialize(HANDLE, PCSTR, BOOL) { return FALSE; }
