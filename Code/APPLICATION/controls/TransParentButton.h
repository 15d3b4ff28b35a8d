// CTransParentButton: an owner-drawn push button that paints itself over a
// copy of its parent's pixels (taken at its first erase), with an icon per
// state and its window text in the launcher's display face. It follows the
// mouse itself: a pointer movement starts the hover look, a 10 ms timer ends
// it once the pointer has left, and the left button presses and releases it.
// Every visible change is painted at once by RedrawButton.
#pragma once

#include <afxwin.h>

class CTransParentButton : public CButton {
public:
    // Icon and caption arrangements (m_nAlign).
    enum { IconLeft = 0, IconAbove = 1 };
    // Visual states (m_nState). The rendering tests ranges of these numbers.
    enum { Hover = 0, Normal = 1, Released = 2, Pressed = 3 };

    // Registers the display font for the process (see RegisterPrivateFont);
    // removing it again is the owner's job.
    CTransParentButton();
    ~CTransParentButton() override;

    // Icons from the application's resources by id (low 16 bits); an icon
    // that is not found leaves its state without a picture. Shared resource
    // icons: the button never destroys them. Takes effect at the next repaint.
    void SetIcons(UINT nIconNormal, UINT nIconActive);
    // Icons the caller keeps owning. Takes effect at the next repaint.
    void SetIcons(HICON hIconNormal, HICON hIconActive);
    // A cursor from the application's resources (low 16 bits of the id),
    // shown over the whole button; -1 goes back to the standard cursor and
    // returns TRUE. FALSE when the cursor cannot be loaded (then none is set).
    BOOL SetBtnCursor(int nCursorId);

    // Setters that repaint at once; the window must exist.
    void SetHoverTextColor(COLORREF clr);
    void SetNormalTextColor(COLORREF clr);
    // IconLeft or IconAbove; any other value is ignored.
    void SetAlign(int nAlign);
    void SetIconMarginLeft(int nPixels);
    void SetIconMarginTop(int nPixels);
    // Setters that take effect at the next repaint.
    void SetTransparent(bool bTransparent);
    void SetHighlightLook(bool bHighlightLook);

    // Paints the whole face now: background, edge, icon, caption. Draws
    // through its own client-area contexts; the window must exist.
    void RedrawButton();

    // The caption font request for a display of the given vertical pixel
    // density: "Venus Rising", 9 points on a 71-per-inch scale, TrueType only.
    static LOGFONTA CaptionFontRequest(int nLogPixelsY);

protected:
    // Makes any push button it is attached to owner-drawn.
    void PreSubclassWindow() override;
    // The owner-draw request: takes the enabled and focus states from it and
    // repaints. The pressed look comes only from the mouse handlers.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    CBitmapDC m_dcBackground;  // the parent's pixels under the button, from the first erase
    bool m_bBackgroundTaken;   // the snapshot has been taken (never taken again)
    bool m_bHover;             // hover tracking is on: the hover timer runs
    bool m_bEnabled;           // as the last owner-draw request reported
    HCURSOR m_hCursor;         // custom cursor (owned), or null for the standard one
    bool m_bFocus;             // as the last owner-draw request reported
    bool m_bHighlightLook;     // highlight look (true) or bevel look (false)
    bool m_bTransparent;       // snapshot background (true) or button-face fill (false)
    COLORREF m_clrCurrentText; // caption colour of the last enabled caption draw
    COLORREF m_clrHoverText;   // caption colour when hovered or released
    COLORREF m_clrNormalText;  // caption colour when normal or pressed
    bool m_bHasIcon;           // icons were assigned: the caption leaves room for one
    int m_nIconMarginTop;      // icon's top offset when IconAbove
    int m_nIconMarginLeft;     // icon's left offset when IconLeft
    int m_nState;              // Hover, Normal, Released or Pressed
    int m_nAlign;              // IconLeft or IconAbove
    HICON m_hIconActive;       // icon when hovered, released or pressed (not owned)
    HICON m_hIconNormal;       // icon when normal, and the disabled picture (not owned)

    void PaintBackground();
    void PaintFrame();
    void PaintIcon();
    void DrawIconAt(HICON hIcon, bool bDisabled);
    void PaintCaption();
};
