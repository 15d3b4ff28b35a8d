#include "ProcessObserver.h"

#include <set>

namespace {

// The static control that carries a message box's text.
const int kMessageBoxTextId = 0xFFFF;

std::string WindowText(HWND hWnd)
{
    int nLength = GetWindowTextLengthA(hWnd);
    std::string text(static_cast<size_t>(nLength) + 1, '\0');
    int nCopied = GetWindowTextA(hWnd, &text[0], nLength + 1);
    text.resize(static_cast<size_t>(nCopied > 0 ? nCopied : 0));
    return text;
}

struct FindContext {
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND hWnd, LPARAM lParam)
{
    auto* pContext = reinterpret_cast<FindContext*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pContext->dwProcessId && IsWindowVisible(hWnd))
        pContext->windows.push_back(hWnd);
    return TRUE;
}

void PressOk(HWND hWndBox)
{
    HWND hWndOk = GetDlgItem(hWndBox, IDOK);
    PostMessageA(hWndBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hWndOk));
}

} // namespace

std::vector<std::string> ObservedRun::Texts() const
{
    std::vector<std::string> texts;
    for (const ObservedBox& box : boxes)
        texts.push_back(box.text);
    return texts;
}

bool ReadMessageBox(HWND hWnd, ObservedBox* pBox)
{
    char szClass[32] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32770") != 0)
        return false;
    HWND hWndText = GetDlgItem(hWnd, kMessageBoxTextId);
    if (!hWndText)
        return false;
    pBox->title = WindowText(hWnd);
    pBox->text = WindowText(hWndText);
    return true;
}

ObservedRun ObserveProcess(const ObserveOptions& options)
{
    ObservedRun run;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (options.showWindow >= 0) {
        si.dwFlags |= STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(options.showWindow);
    }
    std::string commandLine = options.commandLine; // CreateProcessA may write into it
    if (!CreateProcessA(options.applicationName.empty() ? nullptr : options.applicationName.c_str(),
                        &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        options.workingDirectory.empty() ? nullptr
                                                         : options.workingDirectory.c_str(),
                        &si, &pi)) {
        run.launchError = GetLastError();
        return run;
    }
    run.started = true;
    if (options.onStarted)
        options.onStarted(pi);

    // Boxes answered and not yet gone; a handle value may come back for a
    // later box once the first one has been destroyed.
    std::set<HWND> answered;
    std::set<HWND> leftAlone;
    DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD dwWait = WaitForSingleObject(pi.hProcess, 5);
        if (dwWait == WAIT_OBJECT_0)
            break;

        for (auto it = answered.begin(); it != answered.end();)
            it = IsWindow(*it) ? std::next(it) : answered.erase(it);

        FindContext context{pi.dwProcessId, {}};
        EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&context));
        for (HWND hWnd : context.windows) {
            if (answered.count(hWnd) || leftAlone.count(hWnd))
                continue;
            ObservedBox box;
            if (!ReadMessageBox(hWnd, &box))
                continue;
            run.boxes.push_back(box);
            if (options.onBox && !options.onBox(box, hWnd, pi.hProcess)) {
                leftAlone.insert(hWnd);
                continue;
            }
            answered.insert(hWnd);
            PressOk(hWnd);
        }

        if (GetTickCount() - dwStart > options.timeoutMs) {
            run.timedOut = true;
            TerminateProcess(pi.hProcess, 0xDEAD);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
    }
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}
