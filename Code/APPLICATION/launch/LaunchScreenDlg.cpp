#include "LaunchScreenDlg.h"

#include "PrivateFont.h"
#include "UIModuleNames.h"

namespace {
// "KVR-WM.bmp" in the current folder. Written relative to that folder on
// purpose: given a bare name, the image loader searches further (the
// program's own folder first) and would pick up a file the user did not
// start the launcher beside.
const char kWatermarkFile[] = ".\\KVR-WM.bmp";
} // namespace

BEGIN_MESSAGE_MAP(CLaunchScreenDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_NCPAINT()
ON_WM_NCACTIVATE()
ON_BN_CLICKED(IDC_LX_MODULE, OnBnClickedLxModule)
ON_BN_CLICKED(IDC_DEFAULT_MODULE, OnBnClickedDefaultModule)
END_MESSAGE_MAP()

CLaunchScreenDlg::CLaunchScreenDlg(CWnd* pParent) : CDialog(IDD_LAUNCH_SCREEN, pParent)
{
    // The executable's own icon, a shared resource icon: shown if the system
    // ever minimises the dialog and for the drag-icon query.
    m_hIcon = ::LoadIconA(AfxFindResourceHandle(MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON),
                          MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_strModule = "";
}

CLaunchScreenDlg::~CLaunchScreenDlg()
{
    // First, before the buttons go: the dialog owns the font's registration.
    UnregisterPrivateFont(CString(kDisplayFontFile));
}

CString CLaunchScreenDlg::GetSelectedModule() const { return m_strModule; }

void CLaunchScreenDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFAULT_MODULE, m_btnDefaultModule);
    DDX_Control(pDX, IDC_LX_MODULE, m_btnLxModule);
}

BOOL CLaunchScreenDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // Missing or unreadable, the watermark is simply left out.
    auto hWatermark = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), kWatermarkFile,
                                                        IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    m_bmpWatermark.DeleteObject();
    if (hWatermark)
        m_bmpWatermark.Attach(hWatermark);

    RegisterPrivateFont(CString(kDisplayFontFile));

    m_btnDefaultModule.SetIcons(IDI_MODULE_NORMAL, IDI_MODULE_ACTIVE);
    m_btnLxModule.SetIcons(IDI_MODULE_NORMAL, IDI_MODULE_ACTIVE);
    return TRUE; // the focus goes to the first tab stop, "QUAV - LX"
}

void CLaunchScreenDlg::OnOK()
{
    CWnd* pFocus = GetFocus();
    if (pFocus && pFocus == GetDlgItem(IDC_LX_MODULE))
        OnBnClickedLxModule();
    else
        OnBnClickedDefaultModule();
}

void CLaunchScreenDlg::OnBnClickedLxModule()
{
    m_strModule = kLxUIModule;
    CDialog::OnOK();
}

void CLaunchScreenDlg::OnBnClickedDefaultModule()
{
    m_strModule = kDefaultUIModule;
    CDialog::OnOK();
}

HCURSOR CLaunchScreenDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
