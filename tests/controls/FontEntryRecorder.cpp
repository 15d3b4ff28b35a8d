#include "FontEntryRecorder.h"

namespace {

typedef int(WINAPI* PFN_FONT_RESOURCE_EX)(LPCSTR, DWORD, PVOID);
typedef FARPROC(WINAPI* PFN_GETPROCADDRESS)(HMODULE, LPCSTR);

FontEntryRecorder* g_pRecorder = nullptr;
PFN_GETPROCADDRESS g_pfnSystemGetProcAddress = nullptr;
PFN_FONT_RESOURCE_EX g_pfnRealAdd = nullptr;
PFN_FONT_RESOURCE_EX g_pfnRealRemove = nullptr;

int Record(FontEntryCalls FontEntryRecorder::*pCalls, PFN_FONT_RESOURCE_EX pfnReal,
           LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    if (g_pRecorder) {
        FontEntryCalls& calls = g_pRecorder->*pCalls;
        ++calls.nCalls;
        calls.lastPath = lpszFileName;
        calls.dwLastFlags = fl;
        calls.pLastReserved = pdv;
    }
    return pfnReal(lpszFileName, fl, pdv);
}

int WINAPI RecordedAdd(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    return Record(&FontEntryRecorder::add, g_pfnRealAdd, lpszFileName, fl, pdv);
}

int WINAPI RecordedRemove(LPCSTR lpszFileName, DWORD fl, PVOID pdv)
{
    return Record(&FontEntryRecorder::remove, g_pfnRealRemove, lpszFileName, fl, pdv);
}

FARPROC WINAPI RecordingGetProcAddress(HMODULE hModule, LPCSTR lpszName)
{
    bool bAdd = !IS_INTRESOURCE(lpszName) && lstrcmpA(lpszName, "AddFontResourceExA") == 0;
    bool bRemove = !IS_INTRESOURCE(lpszName) && lstrcmpA(lpszName, "RemoveFontResourceExA") == 0;
    FARPROC pfnFound = g_pfnSystemGetProcAddress(hModule, lpszName);
    if (!g_pRecorder || (!bAdd && !bRemove))
        return pfnFound;
    ++(bAdd ? g_pRecorder->add : g_pRecorder->remove).nLookups;
    if (g_pRecorder->bLookupsFail || !pfnFound)
        return nullptr;
    PFN_FONT_RESOURCE_EX& pfnReal = bAdd ? g_pfnRealAdd : g_pfnRealRemove;
    pfnReal = reinterpret_cast<PFN_FONT_RESOURCE_EX>(reinterpret_cast<void*>(pfnFound));
    return reinterpret_cast<FARPROC>(
        reinterpret_cast<void*>(bAdd ? &RecordedAdd : &RecordedRemove));
}

} // namespace

FontEntryRecorder::FontEntryRecorder()
    : m_patch("KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(&RecordingGetProcAddress))
{
    g_pfnSystemGetProcAddress =
        reinterpret_cast<PFN_GETPROCADDRESS>(reinterpret_cast<void*>(m_patch.Original()));
    g_pRecorder = this;
}

FontEntryRecorder::~FontEntryRecorder() { g_pRecorder = nullptr; }
