#include "ScreenBitmap.h"

#include <stdio.h>

bool SaveScreenRect(const RECT& rc, const char* pszPath)
{
    HDC hdcSource = GetDC(nullptr);
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
    ReleaseDC(nullptr, hdcSource);
    return bOk;
}
