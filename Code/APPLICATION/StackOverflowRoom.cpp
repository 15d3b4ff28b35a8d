#include "StackOverflowRoom.h"

#include <windows.h>

namespace {

// What the handler needs on an exhausted stack, with room to spare: the
// platform's dispatch takes about 3 KB, a message box under Wine 27 KB.
const ULONG kStackOverflowRoom = 64 * 1024;

volatile LONG g_bKeepRoomOnNewThreads = 0;

void KeepRoomOnThisThread()
{
    ULONG nRoom = kStackOverflowRoom;
    if (!::SetThreadStackGuarantee(&nRoom))
        return; // a stack too small to spare it
    // Windows commits a stack as it grows, and raises the overflow while the
    // guaranteed room is left. Wine commits the whole stack at once with a
    // single guard page at its bottom, and raises the overflow only there,
    // whatever is guaranteed. A guard page where the room begins makes it
    // raise the overflow there too.
    MEMORY_BASIC_INFORMATION stack;
    if (!::VirtualQuery(&stack, &stack, sizeof(stack)))
        return;
    BYTE* pRoomTop = static_cast<BYTE*>(stack.AllocationBase) + kStackOverflowRoom;
    MEMORY_BASIC_INFORMATION page;
    if (::VirtualQuery(pRoomTop, &page, sizeof(page)) && page.State == MEM_COMMIT &&
        !(page.Protect & (PAGE_GUARD | PAGE_NOACCESS))) {
        DWORD dwOldProtect = 0;
        ::VirtualProtect(pRoomTop, 1, page.Protect | PAGE_GUARD, &dwOldProtect);
    }
}

// Called by the loader on every thread as it starts, before its own code.
void NTAPI KeepRoomOnANewThread(PVOID, DWORD dwReason, PVOID)
{
    if (dwReason == DLL_THREAD_ATTACH && g_bKeepRoomOnNewThreads)
        KeepRoomOnThisThread();
}

} // namespace

// The executable's thread-start callbacks live in this section.
extern "C" __attribute__((section(".CRT$XLF"), used))
const PIMAGE_TLS_CALLBACK g_pfnKeepRoomOnANewThread = &KeepRoomOnANewThread;

void KeepRoomForStackOverflows()
{
    KeepRoomOnThisThread();
    ::InterlockedExchange(&g_bKeepRoomOnNewThreads, 1);
}
