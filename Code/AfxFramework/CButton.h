// CButton: a push button, check box or radio button control.
#pragma once

#include "AfxApi.h"
#include "CWnd.h"

class AFX_API CButton : public CWnd {
public:
    CButton();
    ~CButton() override;

    BOOL Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    UINT GetState() const;
    void SetState(BOOL bHighlight);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);

    // An owner-drawn button paints itself here; the parent's WM_DRAWITEM is
    // reflected to this call.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
