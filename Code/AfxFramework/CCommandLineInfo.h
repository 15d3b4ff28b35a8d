// CCommandLineInfo: receives the command line's arguments one by one.
#pragma once

#include "AfxApi.h"
#include "CObject.h"
#include "CString.h"

class AFX_API CCommandLineInfo : public CObject {
public:
    CCommandLineInfo();
    ~CCommandLineInfo() override;

    // Called once per argument after the program name, in order. A leading
    // "-" or "/" has been removed, and bFlag is then TRUE; bLast marks the
    // last argument. By default the first plain argument is a file to open,
    // and the flags "nologo", "Embedding" and "Automation" are recognised.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    enum { FileNew, FileOpen, FileNothing = -1 } m_nShellCommand;
    BOOL m_bShowSplash;
    BOOL m_bRunEmbedded;
    BOOL m_bRunAutomated;
    CString m_strFileName;
};

// Splits a whole command line (program name included) as the Microsoft C
// run-time does and calls pfnArgument for each argument, the program name
// first. Returns the number of arguments.
typedef void (*AFX_PFN_ARGUMENT)(void* pContext, int nIndex, const char* pszArgument);
AFX_API int AFXAPI AfxSplitCommandLine(const char* pszCommandLine, AFX_PFN_ARGUMENT pfnArgument,
                                       void* pContext);

// What CWinApp::ParseCommandLine does, for a given command line.
AFX_API void AFXAPI AfxParseCommandLine(CCommandLineInfo& rCmdInfo, const char* pszCommandLine);
