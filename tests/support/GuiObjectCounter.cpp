#include "GuiObjectCounter.h"

#include <stdint.h>
#include <winternl.h>

namespace {

// One entry of Wine's GDI handle table (the same layout for 32- and 64-bit
// processes).
struct GdiHandleEntry {
    uint64_t object; // the object's address; 0 while the slot is free
    uint32_t owner;
    uint16_t type;
    uint16_t unique;
    uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI handle entry is 24 bytes");

const int kGdiHandleSlots = 0x10000;
// Where the process environment block keeps the GDI handle table.
#ifdef _WIN64
const size_t kPebGdiHandleTableOffset = 0xF8;
#else
const size_t kPebGdiHandleTableOffset = 0x94;
#endif

// GCC takes the segment-relative read inside NtCurrentTeb for an access
// past a zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const GdiHandleEntry* GdiHandleTable()
{
    auto* pPeb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    return *reinterpret_cast<GdiHandleEntry* const*>(pPeb + kPebGdiHandleTableOffset);
}
#pragma GCC diagnostic pop

// USER handles are (slot * 2 + 0x20) in their low word.
const UINT_PTR kFirstUserHandle = 0x0020;
const UINT_PTR kLastUserHandle = 0xFFEF;

bool IsOwnWindow(HWND hWnd)
{
    DWORD dwProcessId = 0;
    return ::IsWindow(hWnd) && ::GetWindowThreadProcessId(hWnd, &dwProcessId) &&
           dwProcessId == ::GetCurrentProcessId();
}

bool IsIconOrCursor(HICON hIcon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(hIcon, &info))
        return false;
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return true;
}

} // namespace

GuiObjectCount CountGdiObjects()
{
    GuiObjectCount count;
    count.nObjects = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    if (count.nObjects > 0)
        return count;
    count.source = GuiCountSource::HandleTable;
    count.nObjects = 0;
    if (const GdiHandleEntry* pTable = GdiHandleTable()) {
        for (int i = 0; i < kGdiHandleSlots; ++i) {
            if (pTable[i].object)
                ++count.nObjects;
        }
    }
    return count;
}

GuiObjectCount CountUserObjects()
{
    GuiObjectCount count;
    count.nObjects = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    if (count.nObjects > 0)
        return count;
    count.source = GuiCountSource::HandleProbe;
    count.nObjects = 0;
    for (UINT_PTR h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        if (IsOwnWindow(reinterpret_cast<HWND>(h)) || IsIconOrCursor(reinterpret_cast<HICON>(h)) ||
            ::IsMenu(reinterpret_cast<HMENU>(h)))
            ++count.nObjects;
    }
    return count;
}

const char* GuiCountSourceName(GuiCountSource source)
{
    switch (source) {
    case GuiCountSource::GetGuiResources:
        return "GetGuiResources";
    case GuiCountSource::HandleTable:
        return "GDI handle table";
    case GuiCountSource::HandleProbe:
        return "USER handle probe";
    }
    return "?";
}
