// CWinThread: a thread with a message loop.
#pragma once

#include "AfxApi.h"
#include "CCmdTarget.h"

class AFX_API CWinThread : public CCmdTarget {
public:
    CWinThread();
    ~CWinThread() override;

    CWnd* m_pMainWnd = nullptr; // destroying this window ends the loop
    MSG m_msgCur = {};          // the message being pumped

    virtual BOOL InitInstance();
    // The message loop: idle processing while the queue is empty, then
    // PumpMessage for each message, until WM_QUIT; returns ExitInstance().
    virtual int Run();
    // Called for every message before it is translated and dispatched; TRUE
    // means it was handled. By default the windows from the target up to the
    // main window pre-translate it (dialogs do their keyboard handling there).
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Takes one message; FALSE when it was WM_QUIT.
    virtual BOOL PumpMessage();
    // lCount counts the idle calls since the last message; TRUE asks for more.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // Returns the value carried by WM_QUIT, 0 when there was none.
    virtual int ExitInstance();
    virtual CWnd* GetMainWnd();

protected:
    BOOL m_bQuitReceived = FALSE;
    int m_nQuitCode = 0;

private:
    POINT m_ptCursorLast = {-1, -1};
    UINT m_nMsgLast = 0;
};
