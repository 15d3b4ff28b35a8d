#include "FilterRun.h"

#include <set>

#include "CrashDumpWriter.h"
#include "ProcessObserver.h"

namespace {

struct CallerContext {
    HANDLE hStart;
    bool bNullPointers;
    FilterCall call;
};

DWORD WINAPI CallFilter(LPVOID pParam)
{
    auto* pContext = static_cast<CallerContext*>(pParam);
    pContext->call.threadId = GetCurrentThreadId();
    WaitForSingleObject(pContext->hStart, INFINITE);
    PreparedAccessViolation crash;
    LONG nResult = CrashDumpExceptionFilter(pContext->bNullPointers ? nullptr : &crash.pointers);
    pContext->call.result = nResult;
    pContext->call.returned = true;
    return 0;
}

BOOL CALLBACK CollectOwnWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == GetCurrentProcessId() && IsWindowVisible(hWnd))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// Reads and answers the boxes that are new since the last look.
void AnswerBoxes(const FilterRunOptions& options, std::set<HWND>* pAnswered, FilterRun* pRun)
{
    for (auto it = pAnswered->begin(); it != pAnswered->end();)
        it = IsWindow(*it) ? std::next(it) : pAnswered->erase(it);
    std::vector<HWND> windows;
    EnumWindows(&CollectOwnWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND hWnd : windows) {
        ObservedBox box;
        if (pAnswered->count(hWnd) || !ReadMessageBox(hWnd, &box))
            continue;
        pRun->boxTexts.push_back(box.text);
        if (options.onBox)
            options.onBox(box.text);
        pAnswered->insert(hWnd);
        PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hWnd, IDOK)));
    }
}

} // namespace

PreparedAccessViolation::PreparedAccessViolation() : context(), record(), pointers()
{
    RtlCaptureContext(&context);
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
#ifdef _WIN64
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Eip);
#endif
    record.NumberParameters = 2;
    record.ExceptionInformation[0] = 1;    // a write
    record.ExceptionInformation[1] = 0x10; // to this address
    pointers.ExceptionRecord = &record;
    pointers.ContextRecord = &context;
}

FilterRun RunCrashFilter(const FilterRunOptions& options)
{
    FilterRun run;
    HANDLE hStart = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Left to the threads if they do not return in time.
    auto* pContexts = new std::vector<CallerContext>(1);
    DWORD dwStart = GetTickCount();
    std::vector<HANDLE> threads;
    for (CallerContext& context : *pContexts) {
        context = CallerContext{hStart, options.bNullPointers, FilterCall()};
        threads.push_back(CreateThread(nullptr, 0, &CallFilter, &context, 0, nullptr));
    }
    SetEvent(hStart);

    std::set<HWND> answered;
    for (;;) {
        DWORD dwWait =
            WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 5);
        if (dwWait != WAIT_TIMEOUT) {
            run.allReturned = dwWait < WAIT_OBJECT_0 + threads.size();
            break;
        }
        AnswerBoxes(options, &answered, &run);
        if (GetTickCount() - dwStart > options.timeLimitMs)
            break;
    }
    for (const CallerContext& context : *pContexts)
        run.calls.push_back(context.call);
    if (run.allReturned) {
        for (HANDLE hThread : threads)
            CloseHandle(hThread);
        CloseHandle(hStart);
        delete pContexts;
    }
    return run;
}
