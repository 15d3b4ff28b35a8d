#include "CDialog.h"

#include "AfxGlobals.h"
#include "AfxModuleState.h"
#include "AfxTrace.h"
#include "CDataExchange.h"
#include "CWinThread.h"

namespace {

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    // Everything else reaches the object through the window procedure; the
    // dialog manager only needs to learn where the focus goes.
    if (message == WM_INITDIALOG) {
        if (auto* pDialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd)))
            return pDialog->OnInitDialog();
        return TRUE;
    }
    return FALSE;
}

// One message of a modal loop, pre-translated by the application when this
// is its thread. FALSE on WM_QUIT, whose exit code is then in *pnQuitCode.
BOOL PumpModalMessage(int* pnQuitCode)
{
    if (CWinThread* pThread = AfxGetThread()) {
        if (pThread->PumpMessage())
            return TRUE;
        *pnQuitCode = static_cast<int>(pThread->m_msgCur.wParam);
        return FALSE;
    }
    MSG msg;
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
        *pnQuitCode = static_cast<int>(msg.wParam);
        return FALSE;
    }
    if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return TRUE;
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_lpszTemplateName(nullptr), m_pParentWnd(nullptr) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd)
{}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{}

CDialog::~CDialog()
{
    if (m_hWnd)
        DestroyWindow();
}

HWND CDialog::FindModalOwner() const
{
    HWND hWndOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hWndOwner) {
        CWnd* pMainWnd = AfxGetMainWnd();
        hWndOwner = pMainWnd ? pMainWnd->m_hWnd : nullptr;
    }
    // The owner of a modal dialog is a top-level window.
    if (hWndOwner)
        hWndOwner = ::GetAncestor(hWndOwner, GA_ROOT);
    return hWndOwner && ::IsWindow(hWndOwner) ? ::GetLastActivePopup(hWndOwner) : nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_nModalResult = -1;
    if (!m_lpszTemplateName)
        return -1;
    HINSTANCE hInst = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC hResource = ::FindResourceA(hInst, m_lpszTemplateName, RT_DIALOG);
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInst, hResource) : nullptr;
    auto* lpTemplate =
        static_cast<LPCDLGTEMPLATEA>(hTemplate ? ::LockResource(hTemplate) : nullptr);
    if (!lpTemplate)
        return -1;

    HWND hWndOwner = FindModalOwner();
    BOOL bEnableOwner = FALSE;
    if (hWndOwner && ::IsWindowEnabled(hWndOwner)) {
        ::EnableWindow(hWndOwner, FALSE);
        bEnableOwner = TRUE;
    }

    m_bContinueModal = TRUE;
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpTemplate, hWndOwner, &AfxDlgProc, 0);
    if (!hWnd)
        AfxTrace("CDialog::DoModal: the dialog of template %s could not be created (error %lu; a "
                 "control of a class that is not registered?)",
                 static_cast<const char*>(AfxNameText(m_lpszTemplateName)), ::GetLastError());
    AfxUnhookWindowCreate();
    if (hWnd && m_hWnd == hWnd && m_bContinueModal)
        RunModalLoop();

    // Hide before the owner comes back, so the owner is activated cleanly.
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableOwner)
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndOwner);
    if (m_hWnd)
        DestroyWindow();
    else if (hWnd && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

int CDialog::RunModalLoop()
{
    BOOL bIdle = TRUE;
    BOOL bShowIdle = !(GetStyle() & WS_VISIBLE);
    m_bInModalLoop = TRUE;
    MSG msg;
    for (;;) {
        while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (bShowIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!m_bContinueModal)
                goto ExitModal;
            bIdle = FALSE;
        }
        do {
            int nQuitCode = 0;
            if (!PumpModalMessage(&nQuitCode)) {
                // Leave the quit for the outer loop.
                ::PostQuitMessage(nQuitCode);
                m_nModalResult = -1;
                goto ExitModal;
            }
            if (!m_bContinueModal)
                goto ExitModal;
            bIdle = TRUE;
        } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
ExitModal:
    m_bInModalLoop = FALSE;
    return static_cast<int>(m_nModalResult);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = FALSE;
        // Wake the modal loop so that it notices.
        if (m_hWnd)
            PostMessage(WM_NULL);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    bool bKeyboard = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    bool bMouse = pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST;
    if (!bKeyboard && !bMouse)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    DWORD dwStyleBefore = GetStyle();
    CRect rcBefore;
    GetWindowRect(&rcBefore);

    LRESULT lResult = Default(); // the dialog manager calls OnInitDialog

    // Centre a dialog that OnInitDialog neither showed nor moved, unless its
    // owner is still enabled (then it is not modal to it).
    CRect rcAfter;
    GetWindowRect(&rcAfter);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!(dwStyleBefore & WS_VISIBLE) && !(GetStyle() & (WS_VISIBLE | WS_CHILD)) &&
        rcBefore.left == rcAfter.left && rcBefore.top == rcAfter.top &&
        (!hWndOwner || !::IsWindowEnabled(hWndOwner)))
        CenterWindow();
    return lResult;
}
