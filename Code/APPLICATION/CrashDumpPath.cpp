#include "CrashDumpPath.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kDumpFilePrefix[] = "QPLSCrash_";
const char kDumpFileExtension[] = ".dmp";
const char kPartialExtension[] = ".tmp";

// Text appended into a buffer of fixed size, NUL-terminated throughout;
// what does not fit is left out and remembered.
class CFixedText {
public:
    explicit CFixedText(DumpPathBuffer& szBuffer) : m_psz(szBuffer), m_nLength(0), m_bFits(true)
    {
        m_psz[0] = '\0';
    }

    CFixedText& Add(const char* pszText, size_t nLength)
    {
        if (nLength >= sizeof(DumpPathBuffer) - m_nLength) {
            m_bFits = false;
            return *this;
        }
        memcpy(m_psz + m_nLength, pszText, nLength);
        m_nLength += nLength;
        m_psz[m_nLength] = '\0';
        return *this;
    }
    CFixedText& Add(const char* pszText) { return Add(pszText, strlen(pszText)); }

    // The run-time's own conversions, which use no heap.
    CFixedText& AddNumber(unsigned long nValue, int nRadix)
    {
        char szDigits[40];
        return Add(_ultoa(nValue, szDigits, nRadix));
    }
    CFixedText& AddDecimal(long long nValue)
    {
        char szDigits[40];
        return Add(_i64toa(nValue, szDigits, 10));
    }

    bool Fits() const { return m_bFits; }

private:
    char* m_psz;
    size_t m_nLength;
    bool m_bFits;
};

// The composed path without its ".dmp".
size_t StemLength(const char* pszPath)
{
    return strlen(pszPath) - (sizeof(kDumpFileExtension) - 1);
}

// The composed path up to and with the backslash before the file name.
size_t FolderLength(const char* pszPath)
{
    size_t nLength = strlen(pszPath);
    while (pszPath[nLength - 1] != '\\')
        --nLength;
    return nLength;
}

} // namespace

bool ComposeCrashDumpPath(DumpPathBuffer& szBuffer, __time64_t tCrash)
{
    // The module was given no size: only text that ends inside the buffer
    // is a folder. The path is built apart, as it then replaces the folder.
    if (!memchr(szBuffer, '\0', sizeof(szBuffer)))
        return false;
    DumpPathBuffer szPath;
    CFixedText path(szPath);
    path.Add(szBuffer).Add("\\").Add(kDumpFilePrefix).AddDecimal(tCrash).Add(kDumpFileExtension);
    if (!path.Fits())
        return false;
    memcpy(szBuffer, szPath, sizeof(szPath));
    return true;
}

bool PartialCrashDumpPath(const char* pszPath, DWORD dwProcessId, DumpPathBuffer& szPartial)
{
    CFixedText partial(szPartial);
    partial.Add(pszPath, FolderLength(pszPath))
        .Add(kDumpFilePrefix)
        .AddNumber(dwProcessId, 16)
        .Add(kPartialExtension);
    return partial.Fits();
}

bool CrashDumpPathCandidate(const char* pszPath, DWORD dwProcessId, int nAttempt,
                            DumpPathBuffer& szCandidate)
{
    CFixedText candidate(szCandidate);
    if (nAttempt == 0)
        return candidate.Add(pszPath).Fits();
    candidate.Add(pszPath, StemLength(pszPath)).Add("_").AddNumber(dwProcessId, 10);
    if (nAttempt > 1)
        candidate.Add("_").AddNumber(static_cast<unsigned>(nAttempt), 10);
    return candidate.Add(kDumpFileExtension).Fits();
}
