// The observer on a program of known behaviour: the boxes it reads, their
// order, the OK it presses, the exit code, and the timeout.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProcessObserver.h"
#include "TestFiles.h"

namespace {

// Runs a command and returns what it wrote to stdout.
std::string CaptureOutput(const std::string& commandLine, DWORD* pExitCode)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    CreatePipe(&hRead, &hWrite, &sa, 0);
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    std::string output;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(hWrite);
        hWrite = nullptr;
        char buffer[512];
        DWORD dwRead = 0;
        while (ReadFile(hRead, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0)
            output.append(buffer, dwRead);
        WaitForSingleObject(pi.hProcess, 30000);
        GetExitCodeProcess(pi.hProcess, pExitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (hWrite)
        CloseHandle(hWrite);
    CloseHandle(hRead);
    return output;
}

} // namespace

TEST(Observer, ReadsEveryBoxInOrderAndReportsTheExitCode)
{
    ObserveOptions options;
    options.commandLine = Quoted(BuiltFile("MessageBoxDemo.exe"));
    ObservedRun run = ObserveProcess(options);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(7u, run.exitCode);
    EXPECT_EQ((std::vector<std::string>{"before main", "first",
                                        "second box, with a longer text: 1, 2, 3"}),
              run.Texts());
    ASSERT_EQ(3u, run.boxes.size());
    // Without an application object the box is titled with the program's name.
    EXPECT_EQ("MessageBoxDemo", run.boxes[0].title);
}

TEST(Observer, KillsAProgramThatRunsPastTheTimeout)
{
    ObserveOptions options;
    options.commandLine = Quoted(BuiltFile("MessageBoxDemo.exe")) + " hang";
    options.timeoutMs = 1500;
    DWORD dwStart = GetTickCount();
    ObservedRun run = ObserveProcess(options);
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.timedOut);
    EXPECT_TRUE(run.boxes.size() == 1 && run.boxes[0].text == "before main");
    EXPECT_LT(GetTickCount() - dwStart, 10000u);
}

TEST(Observer, ReportsAProgramThatCannotStart)
{
    ObserveOptions options;
    options.commandLine = Quoted(BuiltFile("NoSuchProgram.exe"));
    ObservedRun run = ObserveProcess(options);
    EXPECT_FALSE(run.started);
    EXPECT_NE(0u, run.launchError);
}

TEST(Observer, CommandLineToolPrintsTheSameReport)
{
    DWORD dwExit = 99;
    std::string output = CaptureOutput(Quoted(BuiltFile("observer.exe")) + " --timeout 20000 -- " +
                                           Quoted(BuiltFile("MessageBoxDemo.exe")),
                                       &dwExit);
    EXPECT_EQ(0u, dwExit);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end()); // text-mode CRLF
    EXPECT_EQ("BOX MessageBoxDemo|before main\n"
              "BOX MessageBoxDemo|first\n"
              "BOX MessageBoxDemo|second box, with a longer text: 1, 2, 3\n"
              "EXIT 7\n",
              output);
}
