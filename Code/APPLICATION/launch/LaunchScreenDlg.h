// CLaunchScreenDlg: the chooser that asks which UI module to load. Two
// transparent buttons, one per module; a click (or Enter) records the chosen
// module's file name and ends the dialog with IDOK, anything else ends it
// with IDCANCEL. It paints its own white client area with a centred
// watermark, and its title into the caption bar in the display face.
#pragma once

#include <afxwin.h>

#include "controls/TransParentButton.h"
#include "resource.h"

class CLaunchScreenDlg : public CDialog {
public:
    explicit CLaunchScreenDlg(CWnd* pParent = nullptr);
    ~CLaunchScreenDlg() override;

    // The chosen module's file name; empty unless a choice was made.
    CString GetSelectedModule() const;

    // Where the watermark goes: each half is truncated before subtracting,
    // so a 301-pixel bitmap in a 340-pixel area starts at 20.
    static CPoint WatermarkOrigin(int nClientWidth, int nClientHeight, int nBitmapWidth,
                                  int nBitmapHeight);
    // Where the icon goes when the dialog is minimised.
    static CPoint MinimizedIconOrigin(int nClientWidth, int nClientHeight, int nIconWidth,
                                      int nIconHeight);
    // The title font request for a display of the given vertical pixel
    // density: "Venus Rising", 10 points on a 75-per-inch scale, TrueType only.
    static LOGFONTA TitleFontRequest(int nLogPixelsY);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The IDOK command (Enter): chooses the module of the button that has
    // the focus, the default module when neither has it.
    void OnOK() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnNcPaint();
    BOOL OnNcActivate(BOOL bActive);
    void OnBnClickedLxModule();
    void OnBnClickedDefaultModule();

    DECLARE_MESSAGE_MAP()

private:
    CTransParentButton m_btnDefaultModule; // control IDC_DEFAULT_MODULE, "QUAVPLUS"
    CTransParentButton m_btnLxModule;      // control IDC_LX_MODULE, "QUAV - LX"
    HICON m_hIcon;                         // the executable's icon (shared), or null
    CBitmap m_bmpWatermark;                // the watermark from "KVR-WM.bmp", or empty
    CString m_strModule;                   // the chosen module's file name

    void PaintMinimized();
    void PaintClientArea();
    // Has a button erase and draw itself again, its non-client edge included.
    static void RedrawOnTop(CWnd& button);
};
