// Owning a handle: the one idiom every owner of the framework follows (CWnd,
// CDC, CGdiObject and the CHandleOwner kinds below).
//
// An owner takes a handle only while it holds none: a second handle would
// leak one of the two, so it is refused, and the debug output says so.
// Detach hands the handle over without releasing it; whatever the owner
// still holds when it goes is released. Owners are never copied.
#pragma once

#include "AfxApi.h"
#include "AfxTrace.h"

// Whether an owner holding hHeld may take a new handle; lpszWho names the
// call for the debug output.
template <class H> BOOL AfxOwnerIsFree(H hHeld, LPCSTR lpszWho)
{
    if (!hHeld)
        return TRUE;
    AfxTrace("%s: the object already holds a handle; delete or detach it first", lpszWho);
    return FALSE;
}

// Stores hNew in an empty slot. FALSE for a null handle or an occupied slot.
template <class H> BOOL AfxAttachHandle(H& hSlot, H hNew, LPCSTR lpszWho)
{
    if (!hNew || !AfxOwnerIsFree(hSlot, lpszWho))
        return FALSE;
    hSlot = hNew;
    return TRUE;
}

// Makes a handle with make() into an empty slot. An occupied slot refuses
// before anything is made; FALSE also when make() fails.
template <class H, class Make> BOOL AfxCreateHandle(H& hSlot, LPCSTR lpszWho, Make make)
{
    if (!AfxOwnerIsFree(hSlot, lpszWho))
        return FALSE;
    hSlot = make();
    return hSlot != nullptr;
}

// Empties the slot and returns what it held.
template <class H> H AfxDetachHandle(H& hSlot) noexcept
{
    H hHeld = hSlot;
    hSlot = nullptr;
    return hHeld;
}

// An owner of one handle of a kind the traits describe: Handle, Release(h)
// and Usable(h), the handle a creating call returned or null when it failed.
template <class Traits> class CHandleOwner {
public:
    typedef typename Traits::Handle Handle;

    CHandleOwner() noexcept = default;
    // Takes what a creating call returned; a failed call leaves it empty.
    explicit CHandleOwner(Handle h) noexcept { m_h = Traits::Usable(h); }
    ~CHandleOwner() { Release(); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;

    Handle Get() const noexcept { return m_h; }
    BOOL IsValid() const noexcept { return m_h != nullptr; }

    BOOL Attach(Handle h) { return AfxAttachHandle(m_h, Traits::Usable(h), Traits::kAttach); }
    Handle Detach() noexcept { return AfxDetachHandle(m_h); }
    BOOL Release() { return m_h ? Traits::Release(AfxDetachHandle(m_h)) : FALSE; }

private:
    Handle m_h = nullptr;
};

// A library from LoadLibrary, freed when the owner goes.
struct CLibraryTraits {
    typedef HMODULE Handle;
    static constexpr const char* kAttach = "CScopedLibrary::Attach";
    static HMODULE Usable(HMODULE h) noexcept { return h; }
    static BOOL Release(HMODULE h) { return ::FreeLibrary(h); }
};
typedef CHandleOwner<CLibraryTraits> CScopedLibrary;

// A kernel handle (a file from CreateFile, an event, a thread), closed when
// the owner goes. CreateFile's INVALID_HANDLE_VALUE counts as no handle.
struct CKernelHandleTraits {
    typedef HANDLE Handle;
    static constexpr const char* kAttach = "CScopedHandle::Attach";
    static HANDLE Usable(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
    static BOOL Release(HANDLE h) { return ::CloseHandle(h); }
};
typedef CHandleOwner<CKernelHandleTraits> CScopedHandle;
