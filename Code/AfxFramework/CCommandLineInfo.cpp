#include "CCommandLineInfo.h"

#include <string.h>

CCommandLineInfo::CCommandLineInfo()
    : m_nShellCommand(FileNew), m_bShowSplash(TRUE), m_bRunEmbedded(FALSE), m_bRunAutomated(FALSE)
{}

CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL)
{
    if (bFlag) {
        if (_stricmp(pszParam, "nologo") == 0)
            m_bShowSplash = FALSE;
        else if (_stricmp(pszParam, "Embedding") == 0)
            m_bRunEmbedded = TRUE;
        else if (_stricmp(pszParam, "Automation") == 0)
            m_bRunAutomated = TRUE;
        if (m_bRunEmbedded || m_bRunAutomated)
            m_bShowSplash = FALSE;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = pszParam;
        m_nShellCommand = FileOpen;
    }
}

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

} // namespace

int AFXAPI AfxSplitCommandLine(const char* pszCommandLine, AFX_PFN_ARGUMENT pfnArgument,
                               void* pContext)
{
    const char* p = pszCommandLine ? pszCommandLine : "";
    CString strArg;
    int nCount = 0;

    // The program name: quotes group, backslashes are ordinary characters,
    // and it ends at the first blank outside quotes.
    bool bInQuotes = false;
    while (*p && (bInQuotes || !IsBlank(*p))) {
        if (*p == '"')
            bInQuotes = !bInQuotes;
        else
            strArg += *p;
        ++p;
    }
    pfnArgument(pContext, nCount++, strArg);

    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        strArg.Empty();
        bInQuotes = false;
        for (;;) {
            // 2n backslashes before a quote give n backslashes and a quote
            // that opens or closes; 2n+1 give n backslashes and a literal
            // quote. Backslashes elsewhere are literal.
            int nBackslashes = 0;
            while (*p == '\\') {
                ++p;
                ++nBackslashes;
            }
            bool bCopy = true;
            if (*p == '"') {
                if (nBackslashes % 2 == 0) {
                    if (bInQuotes && p[1] == '"')
                        ++p; // "" inside quotes is one literal quote
                    else {
                        bCopy = false;
                        bInQuotes = !bInQuotes;
                    }
                }
                nBackslashes /= 2;
            }
            while (nBackslashes-- > 0)
                strArg += '\\';
            if (!*p || (!bInQuotes && IsBlank(*p)))
                break;
            if (bCopy)
                strArg += *p;
            ++p;
        }
        pfnArgument(pContext, nCount++, strArg);
    }
    return nCount;
}

namespace {

struct SplitArguments {
    CString* pArgs = nullptr;
};

} // namespace

void AFXAPI AfxParseCommandLine(CCommandLineInfo& rCmdInfo, const char* pszCommandLine)
{
    // First count, then collect, so that bLast is known for every call.
    int nCount = AfxSplitCommandLine(
        pszCommandLine, [](void*, int, const char*) {}, nullptr);
    SplitArguments args;
    args.pArgs = new CString[nCount];
    AfxSplitCommandLine(
        pszCommandLine,
        [](void* pContext, int nIndex, const char* pszArgument) {
            static_cast<SplitArguments*>(pContext)->pArgs[nIndex] = pszArgument;
        },
        &args);

    for (int i = 1; i < nCount; ++i) {
        const char* pszParam = args.pArgs[i];
        BOOL bFlag = FALSE;
        if (pszParam[0] == '-' || pszParam[0] == '/') {
            bFlag = TRUE;
            ++pszParam;
        }
        rCmdInfo.ParseParam(pszParam, bFlag, i + 1 == nCount);
    }
    delete[] args.pArgs;
}
