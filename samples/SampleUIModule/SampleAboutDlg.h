// The sample module's About box, made from the module's own dialog template.
#pragma once

#include <afxwin.h>

class CSampleAboutDlg : public CDialog {
public:
    explicit CSampleAboutDlg(CWnd* pParentWnd);

    BOOL OnInitDialog() override;
};
