// CDialog: a dialog box built from a template in the resources.
//
// DoModal creates the dialog, binds it to this object, centres it when it was
// neither moved nor shown by OnInitDialog, and runs a modal loop that passes
// every message through the application's PreTranslateMessage (where the
// dialog's keyboard handling happens: Tab, Enter as IDOK, Esc as IDCANCEL).
#pragma once

#include "AfxApi.h"
#include "CWnd.h"

class CDataExchange;

class AFX_API CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog
    // cannot be created (its template is missing, for one).
    virtual INT_PTR DoModal();
    // Ends the modal loop; DoModal then returns nResult.
    void EndDialog(int nResult);

    // Runs the data exchange (binding controls); TRUE gives the focus to the
    // first tab stop.
    virtual BOOL OnInitDialog();
    // The IDOK command: ends the dialog with IDOK.
    virtual void OnOK();
    // The IDCANCEL command (Esc, the close box, Alt+F4): ends with IDCANCEL.
    virtual void OnCancel();

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    LPCSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    int RunModalLoop();
    HWND FindModalOwner() const;

    INT_PTR m_nModalResult = -1;
    BOOL m_bContinueModal = FALSE;
    BOOL m_bInModalLoop = FALSE;
};
