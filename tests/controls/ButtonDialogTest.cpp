// Two buttons on a chooser dialog, set up the way the launcher's launch
// screen sets them up: members bound to the template's owner-drawn push
// buttons by the data exchange, given their icons by id in the dialog's
// initialisation, and clicked with the real mouse.
#include "ButtonTestSupport.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "ControlsTestResources.h"

namespace {

const UINT_PTR kShownTimer = 1;
const UINT_PTR kGiveUpTimer = 2;

class ChooserDialog : public CDialog {
public:
    ChooserDialog() : CDialog(IDD_TEST_CHOOSER) {}

    CTransParentButton m_btnDefaultModule;
    CTransParentButton m_btnLxModule;
    std::function<void(ChooserDialog&)> onShown;
    std::vector<int> clicks;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_TEST_DEFAULT_MODULE, m_btnDefaultModule);
        DDX_Control(pDX, IDC_TEST_LX_MODULE, m_btnLxModule);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_btnDefaultModule.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
        m_btnLxModule.SetIcons(IDI_TEST_NORMAL, IDI_TEST_ACTIVE);
        SetTimer(kShownTimer, 50, nullptr);
        SetTimer(kGiveUpTimer, 10000, nullptr);
        return TRUE;
    }
    void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == kGiveUpTimer) {
            EndDialog(-2);
        } else if (IsWindowVisible()) {
            KillTimer(kShownTimer);
            PumpMessages(50); // the first paints
            onShown(*this);
        }
    }
    void OnLxModule()
    {
        clicks.push_back(IDC_TEST_LX_MODULE);
        EndDialog(IDC_TEST_LX_MODULE);
    }
    void OnDefaultModule()
    {
        clicks.push_back(IDC_TEST_DEFAULT_MODULE);
        EndDialog(IDC_TEST_DEFAULT_MODULE);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ChooserDialog, CDialog)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_TEST_LX_MODULE, OnLxModule)
ON_BN_CLICKED(IDC_TEST_DEFAULT_MODULE, OnDefaultModule)
END_MESSAGE_MAP()

} // namespace

TEST(ButtonOnADialog, BoundByDataExchangeGivenIconsByIdAndClickedWithTheMouse)
{
    FontFolder fonts;
    MovePointerAway();
    ChooserDialog dlg;
    dlg.onShown = [](ChooserDialog& self) {
        for (CTransParentButton* pButton : {&self.m_btnDefaultModule, &self.m_btnLxModule}) {
            EXPECT_EQ(pButton, CWnd::FromHandlePermanent(pButton->m_hWnd));
            EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), pButton->GetStyle() & BS_TYPEMASK);
            // The dialog's paint requests reached the buttons, over the
            // snapshot of the dialog's face: the normal icon shows.
            Image face = CaptureClient(*pButton);
            EXPECT_EQ(32 * 32, face.CountOf(kNormalIconColour));
            EXPECT_EQ(0, face.CountOf(kActiveIconColour));
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), face.At(3, 3));
        }
        // The first tab stop has the focus, and its owner-draw request said
        // so: a focus rectangle 2 pixels inside (dotted, so some pixels).
        auto focusMarks = [](CWnd& button) {
            Image face = CaptureClient(button);
            int nMarks = 0;
            for (int x = 2; x < face.width - 2; ++x)
                nMarks += face.At(x, 2) != ::GetSysColor(COLOR_BTNFACE);
            return nMarks;
        };
        EXPECT_GT(focusMarks(self.m_btnLxModule), 0);
        EXPECT_EQ(0, focusMarks(self.m_btnDefaultModule));

        // Hovered, the active icon shows.
        CRect rc;
        self.m_btnLxModule.GetWindowRect(&rc);
        MovePointer(rc.CenterPoint());
        EXPECT_TRUE(PumpUntil([&] {
            return CaptureClient(self.m_btnLxModule).CountOf(kActiveIconColour) == 32 * 32;
        }));
        PressLeftButton();
        ReleaseLeftButton();
    };
    EXPECT_EQ(IDC_TEST_LX_MODULE, dlg.DoModal());
    EXPECT_EQ(std::vector<int>{IDC_TEST_LX_MODULE}, dlg.clicks);
    MovePointerAway();
}
