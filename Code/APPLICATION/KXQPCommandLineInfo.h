// The launcher's command-line information: remembers the module named by a
// \L switch (the last argument decides).
#pragma once

#include <afxwin.h>

class CKXQPCommandLineInfo : public CCommandLineInfo {
public:
    CKXQPCommandLineInfo();
    ~CKXQPCommandLineInfo() override;

    // "\LName.dll" (capital L, the framework has already removed a leading
    // "-" or "/") takes the text after the switch, possibly empty; any other
    // argument gives "QuavPlusUI.dll". bFlag and bLast are not used.
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override;

    CString GetModuleName() const;

private:
    CString m_strModuleName;
};
