// Dialog data exchange: binding controls of a dialog to member objects.
#pragma once

#include "AfxApi.h"

class AFX_API CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;

    // The control's window; null when the dialog has no such control.
    HWND PrepareCtrl(int nIDC);
};

// Subclasses the dialog's control nIDC into rControl, once: the control's
// messages and owner-draw requests then reach rControl's class.
AFX_API void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
