#include "CrashDumpPath.h"

#include <string.h>

#include "CrashDumpGate.h"
#include "QuavPlusApp.h"
#include "UIModuleExports.h"

namespace {

const char kFallbackFolder[] = ".\\";
const char kDumpFilePrefix[] = "QPLSCrash";
const char kDumpFileExtension[] = ".dmp";

// The loaded UI module, or null: there may be no application object any
// more (static destruction) or no module loaded in this phase.
HMODULE LoadedUIModule()
{
    // The application object is always a CQuavPlusApp in this process.
    const CQuavPlusApp* pApp = static_cast<const CQuavPlusApp*>(AfxGetApp());
    return pApp ? pApp->GetUIModuleHandle() : nullptr;
}

} // namespace

void GetCrashDumpFolder(DumpPathBuffer& szBuffer)
{
    // GetProcAddress with a null module would search the executable itself.
    HMODULE hModule = LoadedUIModule();
    PFN_DLLGETDUMPPATH pfnGetDumpPath =
        hModule ? FindUIModuleExport<PFN_DLLGETDUMPPATH>(hModule, "DLLGetDumpPath") : nullptr;
    if (pfnGetDumpPath) {
        CrashHandlingAsksTheModule();
        pfnGetDumpPath(szBuffer);
        return;
    }
    GetFallbackCrashDumpFolder(szBuffer);
}

void GetFallbackCrashDumpFolder(DumpPathBuffer& szBuffer)
{
    CrashHandlingAsksThePerson();
    ReportMissingExport("DLLGetDumpPath");
    strcpy(szBuffer, kFallbackFolder);
}

bool ComposeCrashDumpPath(DumpPathBuffer& szBuffer, __time64_t tCrash)
{
    // The module was given no size: only text that ends inside the buffer
    // is a folder. It is formatted into a string of its own, as the path
    // then replaces it in the buffer.
    if (!memchr(szBuffer, '\0', sizeof(szBuffer)))
        return false;
    CString strPath;
    strPath.Format("%s\\%s_%lld%s", szBuffer, kDumpFilePrefix, static_cast<long long>(tCrash),
                   kDumpFileExtension);
    size_t nSize = static_cast<size_t>(strPath.GetLength()) + 1;
    if (nSize > sizeof(szBuffer))
        return false;
    memcpy(szBuffer, strPath.GetString(), nSize);
    return true;
}

namespace {

// The composed path without its ".dmp".
CString PathStem(const char* pszPath)
{
    CString strPath(pszPath);
    return strPath.Left(strPath.GetLength() - (sizeof(kDumpFileExtension) - 1));
}

} // namespace

CString PartialCrashDumpPath(const char* pszPath, DWORD dwProcessId)
{
    CString strPartial;
    strPartial.Format("%s_%lu.partial", PathStem(pszPath).GetString(), dwProcessId);
    return strPartial;
}

CString CrashDumpPathCandidate(const char* pszPath, DWORD dwProcessId, int nAttempt)
{
    if (nAttempt == 0)
        return CString(pszPath);
    CString strCandidate;
    if (nAttempt == 1)
        strCandidate.Format("%s_%lu%s", PathStem(pszPath).GetString(), dwProcessId,
                            kDumpFileExtension);
    else
        strCandidate.Format("%s_%lu_%d%s", PathStem(pszPath).GetString(), dwProcessId, nAttempt,
                            kDumpFileExtension);
    return strCandidate;
}
