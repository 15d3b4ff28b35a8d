// The launch screen's own look: a white client area with the watermark in
// the middle, and the title written into the caption bar.
#include "LaunchScreenDlg.h"

#include "PrivateFont.h"
#include "ProcessFont.h"

namespace {

const COLORREF kBackground = RGB(255, 255, 255);
const COLORREF kTitleColour = RGB(255, 255, 255);
const char kTitle[] = "KVR Integrated Front End";
const int kTitleX = 20; // window coordinates: frame included
const int kTitleY = 5;

} // namespace

CPoint CLaunchScreenDlg::WatermarkOrigin(int nClientWidth, int nClientHeight, int nBitmapWidth,
                                         int nBitmapHeight)
{
    return CPoint(nClientWidth / 2 - nBitmapWidth / 2, nClientHeight / 2 - nBitmapHeight / 2);
}

CPoint CLaunchScreenDlg::MinimizedIconOrigin(int nClientWidth, int nClientHeight, int nIconWidth,
                                             int nIconHeight)
{
    return CPoint((nClientWidth - nIconWidth + 1) / 2, (nClientHeight - nIconHeight + 1) / 2);
}

LOGFONTA CLaunchScreenDlg::TitleFontRequest(int nLogPixelsY)
{
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(10, nLogPixelsY, 75);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, kDisplayFontFace, LF_FACESIZE);
    return lf;
}

void CLaunchScreenDlg::OnPaint()
{
    if (IsIconic())
        PaintMinimized();
    else
        PaintClientArea();
}

void CLaunchScreenDlg::PaintMinimized()
{
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    CPoint origin = MinimizedIconOrigin(rect.Width(), rect.Height(), ::GetSystemMetrics(SM_CXICON),
                                        ::GetSystemMetrics(SM_CYICON));
    if (m_hIcon)
        dc.DrawIcon(origin.x, origin.y, m_hIcon);
}

void CLaunchScreenDlg::PaintClientArea()
{
    // The dialog's own handling validates the region; the drawing below then
    // covers the whole client area through a client context.
    CDialog::OnPaint();

    CClientDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    CBrush brush(kBackground);
    dc.FillRect(&rect, &brush);

    // Without a watermark there is no size to copy: white alone.
    BITMAP bm = {};
    if (m_bmpWatermark.GetSafeHandle() && m_bmpWatermark.GetBitmap(&bm)) {
        CDC dcMemory;
        dcMemory.CreateCompatibleDC(&dc);
        CSelectGuard selectWatermark(dcMemory, &m_bmpWatermark);
        CPoint origin = WatermarkOrigin(rect.Width(), rect.Height(), bm.bmWidth, bm.bmHeight);
        dc.BitBlt(origin.x, origin.y, bm.bmWidth, bm.bmHeight, &dcMemory, 0, 0, SRCCOPY);
    }

    // The area under the buttons was painted over too (the dialog does not
    // clip its children), their edges included: let them draw themselves
    // again on top, frame and all.
    RedrawOnTop(m_btnDefaultModule);
    RedrawOnTop(m_btnLxModule);
}

void CLaunchScreenDlg::RedrawOnTop(CWnd& button)
{
    if (button.m_hWnd)
        ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CLaunchScreenDlg::OnNcPaint()
{
    CDialog::OnNcPaint(); // frame, caption bar and close box; the caption text is empty

    CWindowDC dc(this);
    if (!dc.GetSafeHdc())
        return; // nothing to draw on

    static CProcessFont s_titleFont(&TitleFontRequest);
    CFont* pTitleFont = s_titleFont.Get(dc);
    if (pTitleFont)
        dc.SetBkMode(TRANSPARENT);
    // The shared context goes back to the system as it came.
    CSelectGuard selectFont(dc, pTitleFont);
    dc.SetTextColor(kTitleColour);
    dc.TextOut(kTitleX, kTitleY, kTitle, static_cast<int>(sizeof(kTitle) - 1));
}

BOOL CLaunchScreenDlg::OnNcActivate(BOOL)
{
    // The frame is not repainted on activation changes: the caption bar keeps
    // the title the last non-client paint wrote.
    return FALSE;
}
