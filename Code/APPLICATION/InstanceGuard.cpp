#include "InstanceGuard.h"

#include <stdlib.h>

namespace {

struct EditionKey {
    const char* pszExecutable;
    const char* pszKey;
};

// Searched from top to bottom. The keys carry no namespace prefix, so the
// mutex is per interactive session.
const EditionKey kEditions[] = {
    {"QUAVPlusKDS.exe", "XKBRSMPTQVD"},
    {"QUAVPlusLXKDS.exe", "JWXKBRSMPTQVD"},
    {"QUAVPlusRDKDS.exe", "YTXKBRSMPTQVD"},
};

const CInstanceGuard* g_pProcessGuard = nullptr;

} // namespace

const char* LookUpInstanceKey(const char* pszPath)
{
    CString strPath(pszPath);
    CString strName = strPath.Right(strPath.GetLength() - strPath.ReverseFind('\\') - 1);
    for (const EditionKey& edition : kEditions) {
        if (strName.CompareNoCase(edition.pszExecutable) == 0)
            return edition.pszKey;
    }
    return nullptr;
}

const char* InstanceKeyFromModulePath(const char* pszBuffer, DWORD dwReturned)
{
    if (dwReturned == 0 || dwReturned >= kInstancePathBufferLength)
        return nullptr;
    return LookUpInstanceKey(CString(pszBuffer, static_cast<int>(dwReturned)));
}

const char* GetInstanceKey()
{
    char szPath[kInstancePathBufferLength];
    DWORD dwReturned = ::GetModuleFileNameA(nullptr, szPath, kInstancePathBufferLength);
    const char* pszKey = InstanceKeyFromModulePath(szPath, dwReturned);
    if (!pszKey) {
        AfxMessageBox("No proper application name found. 1", 0, 0);
        exit(0);
    }
    return pszKey;
}

CInstanceGuard::CInstanceGuard(const char* key)
{
    m_hMutex = ::CreateMutexA(nullptr, FALSE, key);
    m_dwLastError = ::GetLastError();
    // A refused copy must not keep the mutex alive: if the running copy
    // ended while this one's box is still up, every later start would be
    // refused although nothing runs.
    if (m_dwLastError == ERROR_ALREADY_EXISTS && m_hMutex) {
        ::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    if (!g_pProcessGuard)
        g_pProcessGuard = this;
}

CInstanceGuard::~CInstanceGuard()
{
    if (g_pProcessGuard == this)
        g_pProcessGuard = nullptr;
    if (m_hMutex) {
        ::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

BOOL CInstanceGuard::IsAlreadyRunning() const
{
    return m_dwLastError == ERROR_ALREADY_EXISTS ? TRUE : FALSE;
}

const CInstanceGuard* CInstanceGuard::ForThisProcess() { return g_pProcessGuard; }
