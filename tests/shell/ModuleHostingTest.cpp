// Hosting a UI module: loading it, the calls it receives and their order,
// the values it is given, the exit code, and every failure's message box.
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LauncherSandbox.h"

namespace {

using Lines = std::vector<std::string>;

// The log without its "exit ..." statistics, which are checked separately.
Lines WithoutCounts(const Lines& log)
{
    Lines result;
    for (const std::string& line : log)
        result.push_back(line.rfind("exit ", 0) == 0 ? "exit" : line);
    return result;
}

std::string ExitLine(const Lines& log)
{
    for (const std::string& line : log) {
        if (line.rfind("exit", 0) == 0)
            return line;
    }
    return "";
}

} // namespace

TEST(ModuleHosting, CallsInitPreTranslateExitThenUnloadsWithTheStartupValues)
{
    LauncherSandbox sandbox;
    ObserveOptions options = sandbox.Prepare("", "window");
    options.showWindow = SW_SHOWMINNOACTIVE;
    ObservedRun run = ObserveProcess(options);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(0u, run.exitCode);
    // Every message the loop pre-translates reaches the module after the
    // framework's own pre-translation; the module's answer changes nothing
    // (it claims every ping, and each is still dispatched), and a message
    // the framework consumed (3) is still shown to it but not dispatched.
    EXPECT_EQ(
        (Lines{"attach QuavPlusUI.dll", "init 0 0 7", "framework-pre 1 1", "hook 1 1",
               "dispatch 1 1", "framework-pre 1 2", "hook 1 2", "dispatch 1 2", "framework-pre 1 3",
               "hook 1 3", "dispatch 1 3", "framework-pre 3 7", "hook 3 7", "framework-pre 2 0",
               "hook 2 0", "dispatch 2 0", "exit", "detach unload"}),
        WithoutCounts(sandbox.Log()));
    // Also for the messages not logged one by one (paints and the like).
    int nFramework = -1, nHook = -2, nViolations = -1;
    sscanf(ExitLine(sandbox.Log()).c_str(),
           "exit framework-pre=%d hook-for-window=%d order-violations=%d", &nFramework, &nHook,
           &nViolations);
    EXPECT_EQ(nFramework, nHook);
    EXPECT_EQ(0, nViolations);
}

TEST(ModuleHosting, PassesTheShowCommandTheProcessWasStartedWith)
{
    LauncherSandbox sandbox;
    ObserveOptions options = sandbox.Prepare("", "null");
    options.showWindow = SW_SHOWNORMAL;
    ObserveProcess(options);
    ASSERT_GE(sandbox.Log().size(), 2u);
    EXPECT_EQ("init 0 0 1", sandbox.Log()[1]);
}

TEST(ModuleHosting, ExitCodeIsTheValueOfTheQuitMessage)
{
    LauncherSandbox sandbox;
    ObservedRun run = sandbox.Run("", "quit:37");
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(37u, run.exitCode);
    Lines log = WithoutCounts(sandbox.Log());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("exit", log[log.size() - 2]);
    EXPECT_EQ("detach unload", log.back());
}

TEST(ModuleHosting, NoMainWindowEndsTheLoopAtOnceAndStillExitsTheModule)
{
    LauncherSandbox sandbox;
    ObservedRun run = sandbox.Run("", "null");
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{"attach QuavPlusUI.dll", "init 0 0 10", "exit", "detach unload"}),
              WithoutCounts(sandbox.Log()));
}

TEST(ModuleHosting, MissingModuleFileIsReportedEvenWithOneInTheCurrentFolder)
{
    // Whoever can place a file in the folder the launcher is started from
    // must not get it loaded in place of the missing module.
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "");
    TempFolder current;
    current.CopyIn(BuiltFile("TestModuleFull.dll"), "QuavPlusUI.dll");
    ObserveOptions options = sandbox.Prepare();
    options.workingDirectory = current.Path();
    ObservedRun run = ObserveProcess(options);
    EXPECT_EQ(Lines{"Unable to load DLL: QuavPlusUI.dll"}, run.Texts());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(sandbox.Log().empty());
}

TEST(ModuleHosting, ModuleWithoutInitIsReportedExitedAndUnloaded)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "TestModuleNoInit.dll");
    ObservedRun run = sandbox.Run();
    EXPECT_EQ(Lines{"Unable to load FUNCTION: DLLInitInstance"}, run.Texts());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{"attach QuavPlusUI.dll", "exit", "detach unload"}),
              WithoutCounts(sandbox.Log()));
}

TEST(ModuleHosting, ModuleWithoutExitIsReportedAndStillUnloaded)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "TestModuleNoExit.dll");
    ObservedRun run = sandbox.Run("", "null");
    EXPECT_EQ(Lines{"Unable to load FUNCTION: DLLExitInstance"}, run.Texts());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{"attach QuavPlusUI.dll", "init 0 0 10", "detach unload"}), sandbox.Log());
}

TEST(ModuleHosting, ModuleWithoutInitAndExitGivesBothBoxesInOrder)
{
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "TestModuleNoInitNoExit.dll");
    ObservedRun run = sandbox.Run();
    EXPECT_EQ((Lines{"Unable to load FUNCTION: DLLInitInstance",
                     "Unable to load FUNCTION: DLLExitInstance"}),
              run.Texts());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ((Lines{"attach QuavPlusUI.dll", "detach unload"}), sandbox.Log());
}

TEST(ModuleHosting, ModuleWithoutPreTranslateIsReportedForEachMessageAndRunsOn)
{
    // Each message is posted only after the one before it was dispatched, so
    // every one of them comes through the launcher's loop (and not through
    // the box's own loop while a box is up).
    LauncherSandbox sandbox("QUAVPlusKDS.exe", "TestModuleNoPreTranslate.dll");
    ObservedRun run = sandbox.Run("", "chain");
    EXPECT_GE(run.boxes.size(), 4u);
    for (const std::string& text : run.Texts())
        EXPECT_EQ("Unable to load FUNCTION: DLLPreTranslateMessage", text);
    EXPECT_EQ(0u, run.exitCode);
    // After each box the message is processed as usual.
    EXPECT_EQ((Lines{"attach QuavPlusUI.dll", "init 0 0 10", "framework-pre 1 1", "dispatch 1 1",
                     "framework-pre 1 2", "dispatch 1 2", "framework-pre 1 3", "dispatch 1 3",
                     "framework-pre 2 4", "dispatch 2 0", "exit", "detach unload"}),
              WithoutCounts(sandbox.Log()));
}

TEST(ModuleHosting, TheSwitchOnTheCommandLineNeverDecidesTheModule)
{
    LauncherSandbox sandbox("QUAVPlusLXKDS.exe");
    sandbox.AddModule("TestModuleFull.dll", "Other.dll");
    sandbox.AddModule("TestModuleFull.dll", "QUAVLXUI.dll");
    for (const char* pszArgs : {"\\LOther.dll", "-\\LQUAVLXUI.dll", "/\\LOther.dll x", "\\L"}) {
        DeleteFileA(sandbox.File("module.log").c_str());
        ObservedRun run = sandbox.Run(pszArgs, "null");
        EXPECT_TRUE(run.boxes.empty()) << pszArgs;
        Lines log = sandbox.Log();
        ASSERT_FALSE(log.empty()) << pszArgs;
        EXPECT_EQ("attach QuavPlusUI.dll", log[0]) << pszArgs;
        EXPECT_EQ(1, std::count_if(log.begin(), log.end(),
                                   [](const std::string& l) { return l.rfind("attach", 0) == 0; }))
            << pszArgs;
    }
}
