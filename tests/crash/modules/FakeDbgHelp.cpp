// Stands in for the debug-help library. A test copies it beside the launcher
// as "DBGHELP.DLL" (and has Wine prefer it to its own). Loading it leaves the
// file "fake-dbghelp-loaded" in the current directory, so the test knows
// that this library was the one found.
//
// Built twice: without MiniDumpWriteDump, and (QUAV_TEST_STUCK_WRITER) with
// one that writes the start of a dump and then never returns, like a writer
// stuck on a lock that another crashed thread holds.
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

#ifdef QUAV_TEST_STUCK_WRITER
// The real library's declarations would clash with the stand-ins above;
// the pointers are never read.
extern "C" __declspec(dllexport) BOOL WINAPI
    MiniDumpWriteDump(HANDLE, DWORD, HANDLE hFile, int, void*, void*, void*)
{
    const char szStart[] = "MDMP";
    DWORD dwWritten = 0;
    WriteFile(hFile, szStart, sizeof(szStart) - 1, &dwWritten, nullptr);
    Sleep(INFINITE);
    return TRUE;
}
#endif
