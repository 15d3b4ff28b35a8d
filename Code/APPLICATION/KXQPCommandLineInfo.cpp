#include "KXQPCommandLineInfo.h"

#include <string.h>

#include "UIModuleNames.h"

CKXQPCommandLineInfo::CKXQPCommandLineInfo() { m_strModuleName = ""; }

CKXQPCommandLineInfo::~CKXQPCommandLineInfo() = default;

void CKXQPCommandLineInfo::ParseParam(const char* pszParam, BOOL, BOOL)
{
    if (strncmp(pszParam, "\\L", 2) == 0)
        m_strModuleName.Format("%s", pszParam + 2);
    else
        m_strModuleName = kDefaultUIModule;
}

CString CKXQPCommandLineInfo::GetModuleName() const { return m_strModuleName; }
