// What the launch screen tests share: the dialog's buttons, the real modal
// loop with a test step taken once the dialog is
// on the screen, the folders the launcher would be started in, real keys,
// and a record of the messages that windows of the thread receive.
#pragma once

#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ButtonTestSupport.h"
#include "TestFiles.h"
#include "launch/LaunchScreenDlg.h"

// The launch screen's buttons, as the dialog's controls while it is open.
inline CWnd& LxButton(const CDialog& dlg) { return *dlg.GetDlgItem(IDC_LX_MODULE); }
inline CWnd& DefaultButton(const CDialog& dlg) { return *dlg.GetDlgItem(IDC_DEFAULT_MODULE); }

// What DoModal returns when the test's step never ended the dialog.
const INT_PTR kGaveUp = -2;

// Calls run, which runs a modal loop of this thread, and once a dialog of
// the thread is visible and its first paints are done, calls onShown with
// it, once, from inside that loop; real input it sends is then handled by
// the loop. A dialog still open after dwTimeoutMs is ended with kGaveUp, so
// that no test can wait for a person. Returns what run returned.
INT_PTR RunWithStep(const std::function<INT_PTR()>& run,
                    const std::function<void(CDialog&)>& onShown, DWORD dwTimeoutMs = 10000);
// RunWithStep for dlg.DoModal().
INT_PTR RunModal(CDialog& dlg, const std::function<void(CDialog&)>& onShown,
                 DWORD dwTimeoutMs = 10000);

// The current folder for the object's lifetime: a folder like the one the
// launcher is started in, holding the stand-in display font and, unless
// told otherwise, the stand-in watermark "KVR-WM.bmp".
class LaunchFolder {
public:
    enum Watermark { WithWatermark, WithoutWatermark };
    explicit LaunchFolder(Watermark watermark = WithWatermark);
    ~LaunchFolder();
    LaunchFolder(const LaunchFolder&) = delete;
    LaunchFolder& operator=(const LaunchFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::unique_ptr<TempFolder> m_pTemporary; // removed after the folder is left
    std::string m_path;
};

// The stand-in watermark and its pixels, as the test reads them.
std::string WatermarkFixture();
Image WatermarkImage();
// Whether the open dialog shows the stand-in watermark where it belongs
// (a pixel of its frame, away from the buttons, is enough to tell).
bool ShowsWatermark(const CDialog& dlg);

// Real keys: down and up.
void PressKey(WORD wVirtualKey);

// Clicks with the real pointer at a point on the screen.
void ClickAt(POINT pt);

// A message a window of this thread received: a sent one with the result
// of its window procedure, logged as the procedure returns; a queued one
// (result 0), logged as the loop takes it from the queue.
struct LoggedMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LRESULT lResult;
};

// Records the messages of this thread's windows while it exists.
class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    std::vector<LoggedMessage> entries;
    // The index of the first entry from nFrom on for this window and
    // message; -1 if there is none.
    int Find(HWND hWnd, UINT message, size_t nFrom = 0) const;

private:
    HHOOK m_hSentHook;
    HHOOK m_hQueuedHook;
};

inline std::ostream& operator<<(std::ostream& os, const POINT& pt)
{
    return os << "(" << pt.x << "," << pt.y << ")";
}

// Where the screen shows a window's client area, relative to its window.
POINT ClientOrigin(HWND hWnd);
// A child window's rectangle in its parent's client coordinates.
CRect ChildRect(HWND hWndChild);
