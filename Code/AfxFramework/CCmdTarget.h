// CCmdTarget: base of every class that has a message map.
//
// A message map is a static table from (message, notification code, control
// id range) to a handler. Each entry carries a small generated function that
// unpacks WPARAM/LPARAM and calls the handler with its natural signature, so
// the table stays type-safe without the casts of older frameworks. Maps chain
// to the base class's map; the most derived class is searched first.
#pragma once

#include "AfxApi.h"
#include "CObject.h"

// Calls one handler; returns the message result.
typedef LRESULT (*AFX_PMSGHANDLER)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message; 0 ends the table
    UINT nCode;    // notification code for WM_COMMAND entries, else 0
    UINT nID;      // first control id for WM_COMMAND entries, else 0
    UINT nLastID;  // last control id of the range
    AFX_PMSGHANDLER pfnHandler;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class AFX_API CCmdTarget : public CObject {
public:
    CCmdTarget();
    ~CCmdTarget() override;

    // The entry for this message, searching this class's map and then its
    // bases; null when no map handles it.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {                                                                                              \
        0, 0, 0, 0, nullptr                                                                        \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// An entry whose handler body sees `self` (the object, as ThisClass*),
// `wParam` and `lParam`, and evaluates to the message result.
#define AFX_MSG_ENTRY(msg, code, id, lastId, body)                                                 \
    {msg, code, id, lastId, [](CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) -> LRESULT {     \
         ThisClass* self = static_cast<ThisClass*>(pTarget);                                       \
         (void)self;                                                                               \
         (void)wParam;                                                                             \
         (void)lParam;                                                                             \
         return body;                                                                              \
     }},

#define AFX_VOID_RESULT(call) ((call), LRESULT(0))

// Generic entries.
#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_MSG_ENTRY(message, 0, 0, 0, self->memberFxn(wParam, lParam))
#define ON_COMMAND(id, memberFxn)                                                                  \
    AFX_MSG_ENTRY(WM_COMMAND, 0, id, id, AFX_VOID_RESULT(self->memberFxn()))
#define ON_CONTROL(code, id, memberFxn)                                                            \
    AFX_MSG_ENTRY(WM_COMMAND, code, id, id, AFX_VOID_RESULT(self->memberFxn()))
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)

// Window messages, each with the handler signature the framework has always used.
#define ON_WM_CREATE()                                                                             \
    AFX_MSG_ENTRY(WM_CREATE, 0, 0, 0,                                                              \
                  LRESULT(self->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam))))
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, 0, 0, 0, AFX_VOID_RESULT(self->OnDestroy()))
#define ON_WM_NCDESTROY() AFX_MSG_ENTRY(WM_NCDESTROY, 0, 0, 0, AFX_VOID_RESULT(self->OnNcDestroy()))
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, 0, 0, 0, AFX_VOID_RESULT(self->OnClose()))
#define ON_WM_SIZE()                                                                               \
    AFX_MSG_ENTRY(                                                                                 \
        WM_SIZE, 0, 0, 0,                                                                          \
        AFX_VOID_RESULT(self->OnSize(UINT(wParam), short(LOWORD(lParam)), short(HIWORD(lParam)))))
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, 0, 0, 0, AFX_VOID_RESULT(self->OnPaint()))
#define ON_WM_NCPAINT() AFX_MSG_ENTRY(WM_NCPAINT, 0, 0, 0, AFX_VOID_RESULT(self->OnNcPaint()))
#define ON_WM_NCACTIVATE()                                                                         \
    AFX_MSG_ENTRY(WM_NCACTIVATE, 0, 0, 0, LRESULT(self->OnNcActivate(BOOL(wParam != 0))))
#define ON_WM_ERASEBKGND()                                                                         \
    AFX_MSG_ENTRY(WM_ERASEBKGND, 0, 0, 0,                                                          \
                  LRESULT(self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)))))
#define ON_WM_QUERYDRAGICON()                                                                      \
    AFX_MSG_ENTRY(WM_QUERYDRAGICON, 0, 0, 0, reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))
#define ON_WM_MOUSEMOVE()                                                                          \
    AFX_MSG_ENTRY(WM_MOUSEMOVE, 0, 0, 0,                                                           \
                  AFX_VOID_RESULT(self->OnMouseMove(UINT(wParam), CPoint(lParam))))
#define ON_WM_LBUTTONDOWN()                                                                        \
    AFX_MSG_ENTRY(WM_LBUTTONDOWN, 0, 0, 0,                                                         \
                  AFX_VOID_RESULT(self->OnLButtonDown(UINT(wParam), CPoint(lParam))))
#define ON_WM_LBUTTONUP()                                                                          \
    AFX_MSG_ENTRY(WM_LBUTTONUP, 0, 0, 0,                                                           \
                  AFX_VOID_RESULT(self->OnLButtonUp(UINT(wParam), CPoint(lParam))))
#define ON_WM_TIMER()                                                                              \
    AFX_MSG_ENTRY(WM_TIMER, 0, 0, 0, AFX_VOID_RESULT(self->OnTimer(UINT_PTR(wParam))))
#define ON_WM_SETCURSOR()                                                                          \
    AFX_MSG_ENTRY(WM_SETCURSOR, 0, 0, 0,                                                           \
                  LRESULT(self->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),      \
                                            UINT(LOWORD(lParam)), UINT(HIWORD(lParam)))))
#define ON_WM_DRAWITEM()                                                                           \
    AFX_MSG_ENTRY(WM_DRAWITEM, 0, 0, 0,                                                            \
                  AFX_VOID_RESULT(                                                                 \
                      self->OnDrawItem(int(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam))))
