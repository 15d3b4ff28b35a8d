// CPoint and CSize: POINT and SIZE with the constructors handlers expect.
#pragma once

#include "AfxApi.h"

class CPoint : public POINT {
public:
    CPoint() noexcept : POINT{0, 0} {}
    CPoint(int initX, int initY) noexcept : POINT{initX, initY} {}
    CPoint(POINT pt) noexcept : POINT(pt) {}
    // Mouse messages pack signed 16-bit coordinates into LPARAM.
    explicit CPoint(LPARAM lParam) noexcept
        : POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}
    {}
    bool operator==(POINT pt) const noexcept { return x == pt.x && y == pt.y; }
    bool operator!=(POINT pt) const noexcept { return !(*this == pt); }
};

class CSize : public SIZE {
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int initCX, int initCY) noexcept : SIZE{initCX, initCY} {}
    CSize(SIZE size) noexcept : SIZE(size) {}
    bool operator==(SIZE size) const noexcept { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const noexcept { return !(*this == size); }
};
