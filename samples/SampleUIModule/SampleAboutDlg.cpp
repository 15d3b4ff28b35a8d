#include "SampleAboutDlg.h"

#include "SampleResources.h"

CSampleAboutDlg::CSampleAboutDlg(CWnd* pParentWnd) : CDialog(IDD_SAMPLE_ABOUT, pParentWnd) {}

BOOL CSampleAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A line from the module's own string table.
    CString strSource;
    if (strSource.LoadString(IDS_SAMPLE_SOURCE)) {
        if (CWnd* pLine = GetDlgItem(IDC_SAMPLE_SOURCE))
            pLine->SetWindowText(strSource);
    }
    return TRUE;
}
