#include "LauncherSandbox.h"

#include <windows.h>

LauncherSandbox::LauncherSandbox(const std::string& exeName, const std::string& moduleDll)
    : m_exeName(exeName)
{
    AddExecutable(exeName);
    m_folder.CopyIn(BuiltFile("AfxFramework.dll"), "AfxFramework.dll");
    if (!moduleDll.empty())
        AddModule(moduleDll, "QuavPlusUI.dll");
}

void LauncherSandbox::AddExecutable(const std::string& exeName) const
{
    m_folder.CopyIn(BuiltFile("QUAVPlusKDS.exe"), exeName);
}

void LauncherSandbox::AddModule(const std::string& builtDll, const std::string& asName) const
{
    m_folder.CopyIn(BuiltFile(builtDll), asName);
}

ObserveOptions LauncherSandbox::Prepare(const std::string& arguments, const std::string& mode,
                                        const std::string& logName,
                                        const std::string& exeName) const
{
    SetEnvironmentVariableA("QUAV_TEST_MODULE_LOG", File(logName).c_str());
    SetEnvironmentVariableA("QUAV_TEST_MODULE_MODE", mode.c_str());
    ObserveOptions options;
    options.commandLine = Quoted(File(exeName.empty() ? m_exeName : exeName)) +
                          (arguments.empty() ? "" : " " + arguments);
    options.workingDirectory = Folder();
    options.timeoutMs = 30000;
    return options;
}

ObservedRun LauncherSandbox::Run(const std::string& arguments, const std::string& mode,
                                 const std::string& logName) const
{
    return ObserveProcess(Prepare(arguments, mode, logName));
}

std::vector<std::string> LauncherSandbox::Log(const std::string& logName) const
{
    std::vector<std::string> lines;
    std::string content = ReadWholeFile(File(logName));
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos)
            end = content.size();
        lines.push_back(content.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

namespace {

struct WindowSearch {
    DWORD dwProcessId;
    HWND hWnd;
};

BOOL CALLBACK FindModuleWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    char szTitle[64] = {};
    GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (dwProcessId == pSearch->dwProcessId && strncmp(szTitle, "QuavTestModule ", 15) == 0) {
        pSearch->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool CloseTestModuleWindow(DWORD dwProcessId, DWORD dwWaitMs)
{
    DWORD dwStart = GetTickCount();
    do {
        WindowSearch search{dwProcessId, nullptr};
        EnumWindows(&FindModuleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.hWnd)
            return PostMessageA(search.hWnd, WM_CLOSE, 0, 0) != FALSE;
        Sleep(20);
    } while (GetTickCount() - dwStart < dwWaitMs);
    return false;
}
