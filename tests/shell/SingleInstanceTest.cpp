// One running copy per edition: the named mutex between processes.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BackgroundObservation.h"
#include "LauncherSandbox.h"

namespace {

const char kAlreadyRunning[] = "APPLICATION ALREADY RUNNING";

bool LogHas(const std::vector<std::string>& log, const std::string& prefix)
{
    for (const std::string& line : log) {
        if (line.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

// Starts a copy whose module stays up until its window is closed, and waits
// until the module is running.
std::unique_ptr<BackgroundObservation>
StartStaying(const LauncherSandbox& sandbox, const std::string& exeName, const std::string& logName)
{
    auto run =
        std::make_unique<BackgroundObservation>(sandbox.Prepare("", "stay", logName, exeName));
    EXPECT_TRUE(run->WaitStarted(20000));
    for (int i = 0; i < 1000 && !LogHas(sandbox.Log(logName), "init"); ++i)
        Sleep(20);
    EXPECT_TRUE(LogHas(sandbox.Log(logName), "init")) << exeName << " did not come up";
    return run;
}

void CloseAndExpectNormalEnd(BackgroundObservation& run)
{
    EXPECT_TRUE(CloseTestModuleWindow(run.ProcessId()));
    const ObservedRun& result = run.Wait();
    EXPECT_FALSE(result.timedOut);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(0u, result.exitCode);
}

} // namespace

TEST(SingleInstance, SecondCopyOfAnEditionIsRefusedAndTheFirstGoesOn)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe");
    auto first = StartStaying(sandbox, "QUAVPlusKDS.exe", "first.log");

    ObservedRun second = sandbox.Run("", "stay", "second.log");
    EXPECT_EQ(std::vector<std::string>{kAlreadyRunning}, second.Texts());
    EXPECT_EQ(0u, second.exitCode);
    EXPECT_TRUE(sandbox.Log("second.log").empty()); // nothing was loaded

    CloseAndExpectNormalEnd(*first);
    EXPECT_TRUE(LogHas(sandbox.Log("first.log"), "exit"));
}

TEST(SingleInstance, TheThreeEditionsRunSideBySide)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe");
    sandbox.AddExecutable("QUAVPlusLXKDS.exe");
    sandbox.AddExecutable("QUAVPlusRDKDS.exe");
    auto kds = StartStaying(sandbox, "QUAVPlusKDS.exe", "kds.log");
    auto lx = StartStaying(sandbox, "QUAVPlusLXKDS.exe", "lx.log");
    auto rd = StartStaying(sandbox, "QUAVPlusRDKDS.exe", "rd.log");
    for (const char* pszKey : {"XKBRSMPTQVD", "JWXKBRSMPTQVD", "YTXKBRSMPTQVD"}) {
        HANDLE hMutex = OpenMutexA(SYNCHRONIZE, FALSE, pszKey);
        EXPECT_NE(nullptr, hMutex) << pszKey;
        if (hMutex)
            CloseHandle(hMutex);
    }
    CloseAndExpectNormalEnd(*kds);
    CloseAndExpectNormalEnd(*lx);
    CloseAndExpectNormalEnd(*rd);
}

TEST(SingleInstance, OfSixCopiesStartedTogetherExactlyOneRuns)
{
    LauncherSandbox sandbox("QUAVPlusRDKDS.exe");
    std::vector<std::unique_ptr<BackgroundObservation>> runs;
    // All six share one environment: one log, in which only the winner writes.
    ObserveOptions options = sandbox.Prepare("", "stay", "race.log");
    for (int i = 0; i < 6; ++i)
        runs.push_back(std::make_unique<BackgroundObservation>(options));
    for (auto& run : runs)
        ASSERT_TRUE(run->WaitStarted(20000));

    // The losers end by themselves once their box is answered; the winner
    // stays until its window is closed.
    std::vector<BackgroundObservation*> unfinished;
    for (int nTry = 0; nTry < 200; ++nTry) {
        unfinished.clear();
        for (auto& run : runs) {
            if (!run->Finished(0))
                unfinished.push_back(run.get());
        }
        if (unfinished.size() <= 1)
            break;
        Sleep(50);
    }
    ASSERT_EQ(1u, unfinished.size());
    int nRefused = 0;
    for (auto& run : runs) {
        if (run.get() == unfinished[0])
            continue;
        const ObservedRun& result = run->Wait();
        if (result.Texts() == std::vector<std::string>{kAlreadyRunning} && result.exitCode == 0)
            ++nRefused;
    }
    EXPECT_EQ(5, nRefused);
    for (int i = 0; i < 1000 && !LogHas(sandbox.Log("race.log"), "init"); ++i)
        Sleep(20);
    std::vector<std::string> log = sandbox.Log("race.log");
    EXPECT_EQ(1, std::count_if(log.begin(), log.end(),
                               [](const std::string& line) { return line.rfind("init", 0) == 0; }));
    CloseAndExpectNormalEnd(*unfinished[0]);
}

TEST(SingleInstance, ANewStartRunsAfterTheFirstEndedNormallyOrWasKilled)
{
    LauncherSandbox sandbox("QUAVPlusLXKDS.exe");
    auto first = StartStaying(sandbox, "QUAVPlusLXKDS.exe", "first.log");
    CloseAndExpectNormalEnd(*first);

    auto second = StartStaying(sandbox, "QUAVPlusLXKDS.exe", "second.log");
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, second->ProcessId());
    ASSERT_NE(nullptr, hProcess);
    TerminateProcess(hProcess, 9);
    WaitForSingleObject(hProcess, 10000);
    CloseHandle(hProcess);
    EXPECT_EQ(9u, second->Wait().exitCode);

    auto third = StartStaying(sandbox, "QUAVPlusLXKDS.exe", "third.log");
    CloseAndExpectNormalEnd(*third);
}

TEST(SingleInstance, ARefusedCopyStillAtItsBoxDoesNotRefuseTheNextStart)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe");
    auto first = StartStaying(sandbox, "QUAVPlusKDS.exe", "first.log");

    // The refused copy's box stays up until the test lets it go.
    HANDLE hBoxUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hAnswer = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ObserveOptions options = sandbox.Prepare("", "stay", "refused.log");
    options.timeoutMs = 120000;
    options.onBox = [hBoxUp, hAnswer](const ObservedBox&, HWND, HANDLE) {
        SetEvent(hBoxUp);
        WaitForSingleObject(hAnswer, INFINITE);
        return true;
    };
    BackgroundObservation refused(options);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hBoxUp, 60000));

    // The running copy ends; nothing of the edition runs any more.
    CloseAndExpectNormalEnd(*first);
    auto next = StartStaying(sandbox, "QUAVPlusKDS.exe", "next.log");

    SetEvent(hAnswer);
    EXPECT_EQ(std::vector<std::string>{kAlreadyRunning}, refused.Wait().Texts());
    EXPECT_EQ(0u, refused.Wait().exitCode);
    CloseAndExpectNormalEnd(*next);
    CloseHandle(hBoxUp);
    CloseHandle(hAnswer);
}
