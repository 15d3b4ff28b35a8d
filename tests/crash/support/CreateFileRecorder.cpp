#include "CreateFileRecorder.h"

namespace {

typedef HANDLE(WINAPI* PFN_CREATEFILEA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                        HANDLE);

// Straight from the system library: this program's own import entry is the
// one that is replaced.
PFN_CREATEFILEA SystemCreateFileA()
{
    static const PFN_CREATEFILEA s_pfnCreateFileA = reinterpret_cast<PFN_CREATEFILEA>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateFileA")));
    return s_pfnCreateFileA;
}
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<CreateFileCall> g_calls;

HANDLE WINAPI RecordingCreateFileA(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare,
                                   LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition,
                                   DWORD dwFlags, HANDLE hTemplate)
{
    HANDLE hFile = SystemCreateFileA()(pszPath, dwAccess, dwShare, pSecurity, dwDisposition,
                                       dwFlags, hTemplate);
    DWORD dwError = GetLastError();
    CreateFileCall call;
    call.path = pszPath ? pszPath : "";
    call.desiredAccess = dwAccess;
    call.shareMode = dwShare;
    call.securityAttributes = pSecurity != nullptr;
    call.creationDisposition = dwDisposition;
    call.flagsAndAttributes = dwFlags;
    call.templateFile = hTemplate != nullptr;
    call.succeeded = hFile != INVALID_HANDLE_VALUE;
    AcquireSRWLockExclusive(&g_lock);
    g_calls.push_back(call);
    ReleaseSRWLockExclusive(&g_lock);
    SetLastError(dwError);
    return hFile;
}

} // namespace

CreateFileRecorder::CreateFileRecorder()
    : m_patch("KERNEL32.dll", "CreateFileA", reinterpret_cast<void*>(&RecordingCreateFileA))
{
    AcquireSRWLockExclusive(&g_lock);
    g_calls.clear();
    ReleaseSRWLockExclusive(&g_lock);
}

CreateFileRecorder::~CreateFileRecorder() = default;

std::vector<CreateFileCall> CreateFileRecorder::CallsFor(const std::string& pathPart) const
{
    std::vector<CreateFileCall> calls;
    AcquireSRWLockExclusive(&g_lock);
    for (const CreateFileCall& call : g_calls) {
        if (call.path.find(pathPart) != std::string::npos)
            calls.push_back(call);
    }
    ReleaseSRWLockExclusive(&g_lock);
    return calls;
}
