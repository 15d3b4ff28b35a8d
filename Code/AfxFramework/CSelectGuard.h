// CSelectGuard: a GDI object selected into a device context for the guard's
// lifetime. The object it replaced is selected back when the guard goes, so
// a context borrowed from a window goes back as it came, and no context is
// left holding an object that is about to be deleted. Declare the guard after
// the object it selects, so that it goes first.
#pragma once

#include "AfxApi.h"
#include "CDC.h"
#include "CGdiObject.h"

class CSelectGuard {
public:
    // A null object selects nothing (and restores nothing).
    CSelectGuard(CDC& dc, HGDIOBJ hObject) noexcept
        : m_dc(dc), m_hReplaced(hObject ? dc.SelectObject(hObject) : nullptr)
    {}
    CSelectGuard(CDC& dc, const CGdiObject* pObject) noexcept
        : CSelectGuard(dc, pObject ? pObject->m_hObject : nullptr)
    {}
    ~CSelectGuard()
    {
        if (m_hReplaced)
            m_dc.SelectObject(m_hReplaced);
    }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_hReplaced;
};
