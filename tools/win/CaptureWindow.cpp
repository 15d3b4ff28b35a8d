// CaptureWindow: waits for a top-level window with a given title, saves a
// picture of it (or of the whole screen) as a 24-bit BMP file, and can then
// close it. Used by tools/run and the screenshot tools on a virtual display.
//
//   CaptureWindow TITLE OUT.bmp [--screen] [--close] [--timeout MS] [--settle MS]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

HWND WaitForWindow(const char* pszTitle, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        HWND hWnd = FindWindowA(nullptr, pszTitle);
        if (hWnd && IsWindowVisible(hWnd))
            return hWnd;
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return nullptr;
        Sleep(50);
    }
}

bool SaveBitmap(HDC hdcSource, const RECT& rc, const char* pszPath)
{
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy; // bottom-up, as BMP files store it
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    int nStride = (cx * 3 + 3) & ~3;
    bih.biSizeImage = static_cast<DWORD>(nStride * cy);

    void* pBits = nullptr;
    HDC hdcMem = CreateCompatibleDC(hdcSource);
    HBITMAP hBitmap = CreateDIBSection(hdcSource, reinterpret_cast<BITMAPINFO*>(&bih),
                                       DIB_RGB_COLORS, &pBits, nullptr, 0);
    bool bOk = false;
    if (hdcMem && hBitmap) {
        HGDIOBJ hOld = SelectObject(hdcMem, hBitmap);
        BitBlt(hdcMem, 0, 0, cx, cy, hdcSource, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        BITMAPFILEHEADER bfh = {};
        bfh.bfType = 0x4D42; // "BM"
        bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
        bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
        if (FILE* f = fopen(pszPath, "wb")) {
            bOk = fwrite(&bfh, sizeof(bfh), 1, f) == 1 && fwrite(&bih, sizeof(bih), 1, f) == 1 &&
                  fwrite(pBits, bih.biSizeImage, 1, f) == 1;
            bOk = fclose(f) == 0 && bOk;
        }
        SelectObject(hdcMem, hOld);
    }
    if (hBitmap)
        DeleteObject(hBitmap);
    if (hdcMem)
        DeleteDC(hdcMem);
    return bOk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: CaptureWindow TITLE OUT.bmp [--screen] [--close] [--timeout MS] "
                        "[--settle MS]\n");
        return 2;
    }
    bool bScreen = false, bClose = false;
    DWORD dwTimeout = 30000, dwSettle = 1000;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--screen") == 0)
            bScreen = true;
        else if (strcmp(argv[i], "--close") == 0)
            bClose = true;
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            dwTimeout = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
        else if (strcmp(argv[i], "--settle") == 0 && i + 1 < argc)
            dwSettle = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
    }
    HWND hWnd = WaitForWindow(argv[1], dwTimeout);
    if (!hWnd) {
        fprintf(stderr, "CaptureWindow: no window titled \"%s\" appeared\n", argv[1]);
        return 1;
    }
    Sleep(dwSettle); // let it paint
    RECT rc;
    if (bScreen)
        SetRect(&rc, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    else
        GetWindowRect(hWnd, &rc);
    HDC hdcScreen = GetDC(nullptr);
    bool bSaved = SaveBitmap(hdcScreen, rc, argv[2]);
    ReleaseDC(nullptr, hdcScreen);
    if (bClose)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    if (!bSaved) {
        fprintf(stderr, "CaptureWindow: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
