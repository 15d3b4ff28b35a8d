// A custom action of the installers: before an install, a repair, an upgrade
// or an uninstall changes anything, it names the package's files in the
// install folder that a running program holds. The package then refuses with
// a message (RefuseWhileInUse) instead of leaving a half-removed copy behind.
//
// Windows keeps the image of a running program, and of every library it has
// loaded, open for execution: such a file cannot be opened for writing
// (ERROR_SHARING_VIOLATION), whichever user or session runs it. Wine does the
// same. Files that do not exist yet are simply not in use.
//
// Plain buffers, no C++ library: the action travels inside every package.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string.h>

namespace {

// An MSI handle that closes itself.
class CMsiHandle {
public:
    explicit CMsiHandle(MSIHANDLE h = 0) : m_h(h) {}
    ~CMsiHandle()
    {
        if (m_h)
            MsiCloseHandle(m_h);
    }
    CMsiHandle(const CMsiHandle&) = delete;
    CMsiHandle& operator=(const CMsiHandle&) = delete;
    MSIHANDLE* Receive() { return &m_h; } // for the calls that hand out a handle
    operator MSIHANDLE() const { return m_h; }

private:
    MSIHANDLE m_h = 0;
};

// Appends pszText to the NUL-terminated text in a buffer of nSize bytes;
// false (and the buffer unchanged) when it does not fit.
bool Append(char* pszBuffer, size_t nSize, const char* pszText)
{
    size_t nUsed = strlen(pszBuffer), nText = strlen(pszText);
    if (nUsed + nText >= nSize)
        return false;
    memcpy(pszBuffer + nUsed, pszText, nText + 1);
    return true;
}

bool IsHeldByARunningProgram(const char* pszPath)
{
    HANDLE hFile =
        CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(hFile);
    return false;
}

} // namespace

// Sets QUAVPLUS_FILES_IN_USE to the names of the files in use, joined by
// ", ", or leaves it unset. The package runs it after CostFinalize (the
// install folder is known then) and ignores its return value, so that a
// system that cannot run it still installs and removes the product.
extern "C" __declspec(dllexport) UINT __stdcall FindFilesInUse(MSIHANDLE hInstall)
{
    char szFolder[MAX_PATH] = {};
    DWORD dwLength = sizeof(szFolder);
    CMsiHandle hDatabase(MsiGetActiveDatabase(hInstall)), hView;
    if (MsiGetTargetPathA(hInstall, "INSTALLDIR", szFolder, &dwLength) != ERROR_SUCCESS ||
        !hDatabase ||
        MsiDatabaseOpenViewA(hDatabase, "SELECT `FileName` FROM `File`", hView.Receive()) !=
            ERROR_SUCCESS ||
        MsiViewExecute(hView, 0) != ERROR_SUCCESS)
        return ERROR_SUCCESS;

    char szInUse[1024] = {};
    for (;;) {
        CMsiHandle hRecord;
        if (MsiViewFetch(hView, hRecord.Receive()) != ERROR_SUCCESS)
            break;
        // The File table's names are "SHORT|Long name" or one name.
        char szFileName[MAX_PATH] = {};
        dwLength = sizeof(szFileName);
        if (MsiRecordGetStringA(hRecord, 1, szFileName, &dwLength) != ERROR_SUCCESS)
            continue;
        const char* pszBar = strchr(szFileName, '|');
        const char* pszName = pszBar ? pszBar + 1 : szFileName;
        char szPath[2 * MAX_PATH] = {};
        if (!Append(szPath, sizeof(szPath), szFolder) || !Append(szPath, sizeof(szPath), pszName) ||
            !IsHeldByARunningProgram(szPath))
            continue;
        // A list too long for the message ends with the names that fit.
        if (szInUse[0] && !Append(szInUse, sizeof(szInUse), ", "))
            break;
        Append(szInUse, sizeof(szInUse), pszName);
    }
    if (szInUse[0])
        MsiSetPropertyA(hInstall, "QUAVPLUS_FILES_IN_USE", szInUse);
    return ERROR_SUCCESS;
}
