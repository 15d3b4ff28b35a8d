#include "CrashContext.h"

namespace {

// At most this many frames are stepped over: the run-time's own are few.
const int kMaxFrames = 16;

// A module's handle is the address it is mapped at: the base of the
// mapping that holds the code address.
HMODULE ModuleAt(ULONG_PTR nAddress)
{
    MEMORY_BASIC_INFORMATION region;
    if (!::VirtualQuery(reinterpret_cast<LPCVOID>(nAddress), &region, sizeof(region)))
        return nullptr;
    return static_cast<HMODULE>(region.AllocationBase);
}

// The system's libraries the crash passed through on its way here: the C
// run-time's abort() and raise(), and on 64-bit Windows RaiseException.
bool IsRunTimeModule(HMODULE hModule)
{
#ifdef _WIN64
    const char* const kRunTime[] = {"msvcrt.dll", "kernelbase.dll", "kernel32.dll", "ntdll.dll"};
#else
    const char* const kRunTime[] = {"msvcrt.dll"};
#endif
    for (const char* pszName : kRunTime) {
        if (hModule && hModule == ::GetModuleHandleA(pszName))
            return true;
    }
    return false;
}

// The crash handler's own module: this executable (or the program that
// links the handler).
HMODULE HandlerModule() { return ModuleAt(reinterpret_cast<ULONG_PTR>(&ModuleAt)); }

// How far a frame walk has come: first the handler's own frames, then the
// run-time's; the first frame of neither is the one sought.
class CFrameFilter {
public:
    explicit CFrameFilter(bool bSkipHandlerFrames) : m_bInHandler(bSkipHandlerFrames) {}
    bool IsToBeSkipped(ULONG_PTR nAddress)
    {
        HMODULE hModule = ModuleAt(nAddress);
        if (m_bInHandler && hModule == HandlerModule())
            return true;
        m_bInHandler = false;
        return IsRunTimeModule(hModule);
    }

private:
    bool m_bInHandler;
};

// Above the caller's own frame, in the memory reserved for this thread's
// stack: where a frame of one of its callers may lie.
bool IsOnThisStack(ULONG_PTR nAddress)
{
    const char cHere = 0;
    MEMORY_BASIC_INFORMATION stack, there;
    return nAddress > reinterpret_cast<ULONG_PTR>(&cHere) &&
           ::VirtualQuery(&cHere, &stack, sizeof(stack)) &&
           ::VirtualQuery(reinterpret_cast<LPCVOID>(nAddress), &there, sizeof(there)) &&
           there.AllocationBase == stack.AllocationBase && there.State == MEM_COMMIT;
}

#ifdef _WIN64

// One frame up, by the unwind data of the function the context is in.
bool StepOut(CONTEXT& context)
{
    DWORD64 nImageBase = 0;
    PRUNTIME_FUNCTION pFunction = ::RtlLookupFunctionEntry(context.Rip, &nImageBase, nullptr);
    if (pFunction) {
        PVOID pHandlerData = nullptr;
        DWORD64 nEstablisherFrame = 0;
        ::RtlVirtualUnwind(UNW_FLAG_NHANDLER, nImageBase, context.Rip, pFunction, &context,
                           &pHandlerData, &nEstablisherFrame, nullptr);
    } else {
        // A leaf function: the return address is on top of the stack.
        if (!IsOnThisStack(context.Rsp))
            return false;
        context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
        context.Rsp += sizeof(DWORD64);
    }
    return context.Rip != 0 && IsOnThisStack(context.Rsp);
}

void MovePast(CFrameFilter& filter, CONTEXT& context, EXCEPTION_RECORD& record)
{
    CONTEXT walk = context;
    for (int nFrame = 0; nFrame < kMaxFrames; ++nFrame) {
        if (!filter.IsToBeSkipped(walk.Rip)) {
            // A caller's frame: its return address, moved back into the call
            // so that the line is the call's.
            if (nFrame > 0)
                walk.Rip -= 1;
            context = walk;
            record.ExceptionAddress = reinterpret_cast<PVOID>(walk.Rip);
            return;
        }
        if (!StepOut(walk))
            return;
    }
}

#endif

} // namespace

#ifdef _WIN64

bool IsCppException(const EXCEPTION_RECORD& record)
{
    DWORD dwCode = record.ExceptionCode;
    return dwCode == 0x20474343 || dwCode == 0x21474343 || dwCode == 0x22474343;
}

void MoveContextPastTheRunTime(CONTEXT& context, EXCEPTION_RECORD& record)
{
    CFrameFilter filter(false);
    MovePast(filter, context, record);
}

void CaptureTheCallerOfAbort(CONTEXT& context, EXCEPTION_RECORD& record)
{
    ::RtlCaptureContext(&context);
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Rip);
    CFrameFilter filter(true);
    MovePast(filter, context, record);
}

#else

// 32-bit code has no unwind tables in process: the frames are followed by
// their frame pointers, which the system's libraries keep. Each frame holds
// the caller's frame pointer and, above it, the return address.
void CaptureTheCallerOfAbort(CONTEXT& context, EXCEPTION_RECORD& record)
{
    ::RtlCaptureContext(&context);
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Eip);
    CFrameFilter filter(true);
    auto* pFrame = static_cast<ULONG_PTR*>(__builtin_frame_address(0));
    for (int nFrame = 0; nFrame < kMaxFrames; ++nFrame) {
        ULONG_PTR nFrameAddress = reinterpret_cast<ULONG_PTR>(pFrame);
        if (!IsOnThisStack(nFrameAddress) || nFrameAddress % sizeof(ULONG_PTR) != 0)
            return;
        ULONG_PTR nReturnAddress = pFrame[1];
        if (!filter.IsToBeSkipped(nReturnAddress)) {
            context.Eip = nReturnAddress - 1; // in the call, so that the line is the call's
            context.Esp = nFrameAddress + 2 * sizeof(ULONG_PTR);
            context.Ebp = pFrame[0];
            record.ExceptionAddress = reinterpret_cast<PVOID>(context.Eip);
            return;
        }
        auto* pCallerFrame = reinterpret_cast<ULONG_PTR*>(pFrame[0]);
        if (pCallerFrame <= pFrame)
            return; // not a chain of frames: the context stays this thread's own
        pFrame = pCallerFrame;
    }
}

#endif
