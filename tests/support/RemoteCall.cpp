#include "RemoteCall.h"

#include <tlhelp32.h>

namespace {

// The base address of a library in another process.
BYTE* RemoteModuleBase(DWORD dwProcessId, const char* pszLibrary)
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    BYTE* pBase = nullptr;
    for (BOOL bMore = Module32First(hSnapshot, &entry); bMore;
         bMore = Module32Next(hSnapshot, &entry)) {
        if (lstrcmpiA(entry.szModule, pszLibrary) == 0) {
            pBase = entry.modBaseAddr;
            break;
        }
    }
    CloseHandle(hSnapshot);
    return pBase;
}

} // namespace

bool CallRemoteFunction(HANDLE hProcess, DWORD dwProcessId, const char* pszLibrary,
                        const void* pfnLocal, DWORD* pdwResult)
{
    BYTE* pRemoteBase = RemoteModuleBase(dwProcessId, pszLibrary);
    auto* pLocalBase = reinterpret_cast<const BYTE*>(GetModuleHandleA(pszLibrary));
    if (!pRemoteBase || !pLocalBase)
        return false;
    auto pfnRemote = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        pRemoteBase + (static_cast<const BYTE*>(pfnLocal) - pLocalBase));
    HANDLE hThread = CreateRemoteThread(hProcess, nullptr, 0, pfnRemote, nullptr, 0, nullptr);
    if (!hThread)
        return false;
    bool bOk = WaitForSingleObject(hThread, 10000) == WAIT_OBJECT_0 &&
               GetExitCodeThread(hThread, pdwResult);
    CloseHandle(hThread);
    return bOk;
}
