#include "UIModuleExports.h"

namespace {

void ReportUnableToLoad(const char* pszWhat, const char* pszName)
{
    CString strText;
    strText.Format("Unable to load %s: %s", pszWhat, pszName);
    AfxMessageBox(strText, 0, 0);
}

} // namespace

void ReportMissingExport(const char* pszExportName)
{
    ReportUnableToLoad("FUNCTION", pszExportName);
}

void ReportModuleNotLoaded(const char* pszModuleFileName)
{
    ReportUnableToLoad("DLL", pszModuleFileName);
}
