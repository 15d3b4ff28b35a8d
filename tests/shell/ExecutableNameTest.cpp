// Which executable names start the launcher, and what a refused name does
// (and does not do) before it ends.
#include <afxwin.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LauncherSandbox.h"
#include "RemoteCall.h"

namespace {

const char kRefused[] = "No proper application name found. 1";
const char* const kKeys[] = {"XKBRSMPTQVD", "JWXKBRSMPTQVD", "YTXKBRSMPTQVD"};

bool AnyEditionMutexExists()
{
    for (const char* pszKey : kKeys) {
        HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, pszKey);
        if (h) {
            CloseHandle(h);
            return true;
        }
    }
    return false;
}

struct RefusalProbe {
    bool bProbed = false;
    DWORD dwApp = 0xFFFFFFFF;
    bool bMutexSeen = true;
};

// Runs a refused copy and, while its box is up, asks its framework whether
// an application object exists and looks for the editions' mutexes.
ObservedRun RunRefused(const LauncherSandbox& sandbox, const std::string& exeName,
                       RefusalProbe* pProbe, bool bByApplicationName = false)
{
    ObserveOptions options = sandbox.Prepare("", "null", "module.log", exeName);
    if (bByApplicationName)
        options.applicationName = sandbox.File(exeName);
    DWORD dwProcessId = 0;
    options.onStarted = [&](const PROCESS_INFORMATION& pi) { dwProcessId = pi.dwProcessId; };
    options.onBox = [&](const ObservedBox&, HWND, HANDLE hProcess) {
        if (!pProbe->bProbed) {
            pProbe->bProbed =
                CallRemoteFunction(hProcess, dwProcessId, "AfxFramework.dll",
                                   reinterpret_cast<const void*>(&AfxGetApp), &pProbe->dwApp);
            pProbe->bMutexSeen = AnyEditionMutexExists();
        }
        return true;
    };
    return ObserveProcess(options);
}

} // namespace

TEST(ExecutableName, EachEditionNameStartsWhateverTheLetterCase)
{
    for (const char* pszName :
         {"quavpluskds.EXE", "QUAVPLUSKDS.exe", "QUAVPlusLXKDS.exe", "quavplusrdkds.exe"}) {
        LauncherSandbox named(pszName);
        ObservedRun run = named.Run("", "null");
        EXPECT_TRUE(run.boxes.empty()) << pszName;
        EXPECT_EQ(0u, run.exitCode) << pszName;
        EXPECT_FALSE(named.Log().empty()) << pszName << " did not load its module";
    }
}

TEST(ExecutableName, OtherNamesAreRefusedBeforeAnythingElseExists)
{
    for (const char* pszName :
         {"QUAVPlusKDS (2).exe", "QUAVPlusKDS.exe.bak", "QUAV-LX.exe", "QUAVPlusKDS"}) {
        LauncherSandbox sandbox(pszName);
        RefusalProbe probe;
        ObservedRun run =
            RunRefused(sandbox, pszName, &probe, std::string(pszName) == "QUAVPlusKDS");
        ASSERT_TRUE(run.started) << pszName;
        EXPECT_EQ(std::vector<std::string>{kRefused}, run.Texts()) << pszName;
        EXPECT_EQ(0u, run.exitCode) << pszName;
        EXPECT_TRUE(sandbox.Log().empty()) << pszName << " loaded a module";
        // While the box was up: no application object, no mutex.
        EXPECT_TRUE(probe.bProbed) << pszName;
        EXPECT_EQ(0u, probe.dwApp) << pszName;
        EXPECT_FALSE(probe.bMutexSeen) << pszName;
    }
}

TEST(ExecutableName, TheProbeSeesTheApplicationObjectOnceItExists)
{
    // The same probe, during a box shown from InitInstance, finds the object:
    // so the refusal case above really tells "not constructed".
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "");
    RefusalProbe probe;
    ObservedRun run = RunRefused(sandbox, "QUAVPlusKDS.exe", &probe);
    EXPECT_EQ(std::vector<std::string>{"Unable to load DLL: QuavPlusUI.dll"}, run.Texts());
    EXPECT_TRUE(probe.bProbed);
    EXPECT_NE(0u, probe.dwApp);
    EXPECT_TRUE(probe.bMutexSeen);
}

namespace {

std::wstring LongPath(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end()); // ASCII paths only
}

} // namespace

TEST(ExecutableName, APathTooLongForTheNameBufferIsRefused)
{
    // Folders nested until the executable's path passes 999 characters
    // (beyond MAX_PATH, so through the long-path forms of the file calls).
    LauncherSandbox base("QUAVPlusKDS.exe");
    std::vector<std::string> folders;
    std::string folder = base.Folder();
    const std::string segment(120, 'd');
    while (folder.size() + std::string("\\QUAVPlusKDS.exe").size() <= 1000) {
        folder += "\\" + segment;
        ASSERT_TRUE(CreateDirectoryW(LongPath(folder).c_str(), nullptr)) << GetLastError();
        folders.push_back(folder);
    }
    std::string exe = folder + "\\QUAVPlusKDS.exe";
    ASSERT_GT(exe.size(), 999u);
    std::vector<std::string> files;
    for (const char* pszName : {"QUAVPlusKDS.exe", "AfxFramework.dll", "QuavPlusUI.dll"}) {
        files.push_back(folder + "\\" + pszName);
        ASSERT_TRUE(
            CopyFileW(LongPath(base.File(pszName)).c_str(), LongPath(files.back()).c_str(), FALSE));
    }

    SetEnvironmentVariableA("QUAV_TEST_MODULE_LOG", base.File("module.log").c_str());
    SetEnvironmentVariableA("QUAV_TEST_MODULE_MODE", "null");
    // Plain first, then the long-path form of the name.
    std::wstring plain(exe.begin(), exe.end());
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL bStarted = FALSE;
    DWORD dwLaunchError = 0;
    for (const std::wstring& exeW : {plain, LongPath(exe)}) {
        std::wstring commandLine = L"\"" + exeW + L"\"";
        bStarted = CreateProcessW(exeW.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &si, &pi);
        dwLaunchError = GetLastError();
        if (bStarted)
            break;
    }
    std::vector<std::string> texts;
    DWORD dwExitCode = 0;
    if (bStarted) {
        // Answer its boxes the way the observer does.
        DWORD dwStart = GetTickCount();
        while (WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT &&
               GetTickCount() - dwStart < 30000) {
            HWND hWnd = nullptr;
            while ((hWnd = FindWindowExA(nullptr, hWnd, "#32770", nullptr)) != nullptr) {
                DWORD dwPid = 0;
                GetWindowThreadProcessId(hWnd, &dwPid);
                ObservedBox box;
                if (dwPid == pi.dwProcessId && IsWindowVisible(hWnd) &&
                    ReadMessageBox(hWnd, &box)) {
                    texts.push_back(box.text);
                    SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
                }
            }
        }
        GetExitCodeProcess(pi.hProcess, &dwExitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    for (auto it = files.rbegin(); it != files.rend(); ++it)
        DeleteFileW(LongPath(*it).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        RemoveDirectoryW(LongPath(*it).c_str());

    if (!bStarted)
        GTEST_SKIP() << "the platform does not start programs from a " << exe.size()
                     << "-character path (error " << dwLaunchError << ")";
    EXPECT_EQ(std::vector<std::string>{kRefused}, texts);
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_TRUE(base.Log().empty());
}
