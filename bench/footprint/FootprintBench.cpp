// What the launch screen costs while it is up: GDI and USER objects and
// private memory after start-up, and again after 10,000 button repaints and
// 1,000 full launch screen paints (client area, frame and buttons). Nothing
// may grow. Prints one line per figure:
//   gdi_growth <objects> 0 PASS|FAIL          (and user_growth)
//   private_bytes_growth <bytes> 65536 PASS|FAIL   (must stay under)
// Runs in a scratch folder that holds a watermark it draws itself and the
// stand-in display font the build made.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <afxwin.h>

#include <psapi.h>

#include "GuiObjectCounter.h"
#include "TestFiles.h"
#include "launch/LaunchScreenDlg.h"

namespace {

const int kButtonRepaints = 10000;
const int kScreenPaints = 1000;
const UINT WM_BENCH_RUN = WM_APP + 1;

struct Footprint {
    long nGdi;
    long nUser;
    SIZE_T nPrivateBytes;
};

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Committed private memory. The platform's own counter where it keeps one;
// otherwise (Wine 8 reports 0) the committed private regions of the address
// space, added up, which is what that counter counts.
SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters)) &&
        counters.PrivateUsage != 0)
        return counters.PrivateUsage;
    SIZE_T nTotal = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (const char* p = nullptr; ::VirtualQuery(p, &mbi, sizeof(mbi)) == sizeof(mbi);
         p = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            nTotal += mbi.RegionSize;
        if (mbi.RegionSize == 0)
            break;
    }
    return nTotal;
}

Footprint Measure()
{
    CWnd::DeleteTempMap();
    Footprint footprint;
    footprint.nUser = CountUserObjects().nObjects; // first: probing makes Wine's own objects once
    footprint.nGdi = CountGdiObjects().nObjects;
    footprint.nPrivateBytes = PrivateBytes();
    return footprint;
}

// A 301 x 101 watermark with a pattern, written as a 24-bit bitmap file.
bool WriteWatermark(const std::string& path)
{
    const int cx = 301, cy = 101;
    const int nStride = (cx * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(nStride * cy), '\0');
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
            char* p = &pixels[static_cast<size_t>(y * nStride + x * 3)];
            p[0] = static_cast<char>(200 + (x % 40));
            p[1] = static_cast<char>(180 + (y % 60));
            p[2] = static_cast<char>((x + y) % 2 ? 230 : 210);
        }
    }
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
    return WriteWholeFile(path, std::string(reinterpret_cast<char*>(&bfh), sizeof(bfh)) +
                                    std::string(reinterpret_cast<char*>(&bih), sizeof(bih)) +
                                    pixels);
}

class BenchDialog : public CLaunchScreenDlg {
public:
    Footprint before = {};
    Footprint after = {};
    bool bRan = false;

protected:
    BOOL OnInitDialog() override
    {
        CLaunchScreenDlg::OnInitDialog();
        PostMessage(WM_BENCH_RUN);
        return TRUE;
    }

    CTransParentButton& Button(int nId)
    {
        return *static_cast<CTransParentButton*>(
            CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, nId)));
    }

    void PaintScreenOnce()
    {
        ::RedrawWindow(m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
    }

    LRESULT OnRun(WPARAM, LPARAM)
    {
        // Everything the platform and the process-wide fonts make once.
        Pump();
        for (int i = 0; i < 20; ++i) {
            PaintScreenOnce();
            Button(IDC_LX_MODULE).RedrawButton();
        }
        before = Measure();
        for (int i = 0; i < kButtonRepaints; ++i)
            Button(i % 2 ? IDC_LX_MODULE : IDC_DEFAULT_MODULE).RedrawButton();
        for (int i = 0; i < kScreenPaints; ++i)
            PaintScreenOnce();
        after = Measure();
        bRan = true;
        EndDialog(IDCANCEL);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BenchDialog, CLaunchScreenDlg)
ON_MESSAGE(WM_BENCH_RUN, OnRun)
END_MESSAGE_MAP()

void Report(const char* pszName, long long nGrowth, long long nLimit, bool bUnder)
{
    bool bPass = bUnder ? nGrowth < nLimit : nGrowth <= nLimit;
    printf("%s %lld %lld %s\n", pszName, nGrowth, nLimit, bPass ? "PASS" : "FAIL");
}

} // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    TempFolder folder;
    folder.CopyIn(BuiltFile("fixtures\\VENUSRIS.ttf"), "VENUSRIS.ttf");
    if (!WriteWatermark(folder.File("KVR-WM.bmp"))) {
        fprintf(stderr, "FootprintBench: cannot write the watermark\n");
        return 2;
    }
    ::SetCurrentDirectoryA(folder.Path().c_str());
    ::SetCursorPos(1000, 700); // out of the way of the buttons

    Footprint start = Measure();
    BenchDialog dialog;
    dialog.DoModal();
    ::SetCurrentDirectoryA(BuildBinFolder().c_str());
    if (!dialog.bRan) {
        fprintf(stderr, "FootprintBench: the launch screen did not run\n");
        return 2;
    }
    printf("footprint_gdi_objects %ld - INFO\n", dialog.before.nGdi);
    printf("footprint_user_objects %ld - INFO\n", dialog.before.nUser);
    printf("footprint_private_bytes %lld - INFO\n",
           static_cast<long long>(dialog.before.nPrivateBytes));
    printf("footprint_gdi_objects_before_screen %ld - INFO\n", start.nGdi);
    Report("gdi_growth", dialog.after.nGdi - dialog.before.nGdi, 0, false);
    Report("user_growth", dialog.after.nUser - dialog.before.nUser, 0, false);
    Report("private_bytes_growth",
           static_cast<long long>(dialog.after.nPrivateBytes) -
               static_cast<long long>(dialog.before.nPrivateBytes),
           65536, true);
    return 0;
}
