// The real launcher crashing: an edition's executable in a folder of its
// own with the framework library and a test UI module as "QuavPlusUI.dll",
// watched by the observer, which answers every box. The module crashes
// where the environment tells it to (see modules/CrashTestModule.cpp).
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CrashTestFiles.h"
#include "MiniDumpReader.h"
#include "ProcessObserver.h"
#include "TestFiles.h"

namespace {

const DWORD kAccessViolation = EXCEPTION_ACCESS_VIOLATION;
const char kMissingExportText[] = "Unable to load FUNCTION: DLLGetDumpPath";

// The launcher's folder; the current directory of the run.
class LauncherFolder {
public:
    explicit LauncherFolder(const char* pszModule = "CrashTestModule.dll",
                            const char* pszProgram = "QUAVPlusKDS.exe")
    {
        m_folder.CopyIn(BuiltFile(pszProgram), "QUAVPlusKDS.exe");
        m_folder.CopyIn(BuiltFile("AfxFramework.dll"), "AfxFramework.dll");
        if (pszModule)
            m_folder.CopyIn(BuiltFile(pszModule), "QuavPlusUI.dll");
    }
    const TempFolder& Folder() const { return m_folder; }
    std::string ThreadLog() const { return m_folder.File("crashing-threads.txt"); }

    ObservedRun Run()
    {
        ScopedEnvironmentVariable log("QUAV_TEST_THREAD_LOG", ThreadLog());
        ObserveOptions options;
        options.commandLine = Quoted(m_folder.File("QUAVPlusKDS.exe"));
        options.workingDirectory = m_folder.Path();
        options.onBox = [this](const ObservedBox&, HWND, HANDLE) {
            m_dumpsAtEachBox.push_back(DumpFilesIn(m_folder.Path()).size());
            return true;
        };
        m_tBefore = _time64(nullptr);
        DWORD dwStart = GetTickCount();
        ObservedRun run = ObserveProcess(options);
        m_dwRunMs = GetTickCount() - dwStart;
        m_tAfter = _time64(nullptr);
        return run;
    }

    // Every dump in the folder is whole, records one of the threads the
    // module logged as crashing, an access violation, and a second of the
    // run; the dumps record different threads.
    void ExpectWholeDumpsOfLoggedThreads(const std::string& folder, size_t nMin, size_t nMax)
    {
        std::vector<DWORD> logged = ReadThreadLog(ThreadLog());
        std::vector<std::string> dumps = DumpFilesIn(folder);
        EXPECT_GE(dumps.size(), nMin);
        EXPECT_LE(dumps.size(), nMax);
        std::vector<DWORD> recorded;
        for (const std::string& name : dumps) {
            long long tSeconds = DumpFileSeconds(name);
            EXPECT_GE(tSeconds, m_tBefore) << name;
            EXPECT_LE(tSeconds, m_tAfter) << name;
            MiniDumpSummary dump = ReadMiniDump(folder + "\\" + name);
            EXPECT_TRUE(dump.whole) << name;
            EXPECT_TRUE(dump.hasException) << name;
            EXPECT_EQ(kAccessViolation, dump.exceptionCode) << name;
            EXPECT_NE(logged.end(), std::find(logged.begin(), logged.end(), dump.exceptionThreadId))
                << name;
            EXPECT_EQ(recorded.end(),
                      std::find(recorded.begin(), recorded.end(), dump.exceptionThreadId));
            recorded.push_back(dump.exceptionThreadId);
        }
    }

    std::vector<size_t> m_dumpsAtEachBox;
    DWORD m_dwRunMs = 0;

private:
    TempFolder m_folder;
    __time64_t m_tBefore = 0;
    __time64_t m_tAfter = 0;
};

void ExpectCrashedWithoutBoxes(const ObservedRun& run)
{
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(kAccessViolation, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
}

// Where the module crashes; the dump goes to the folder it names.
class CrashOn : public testing::TestWithParam<const char*> {};

TEST_P(CrashOn, ThreadLeavesADumpOfThatThreadInTheModulesFolder)
{
    LauncherFolder launcher;
    TempFolder dumps;
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", GetParam());
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER", dumps.Path());
    ObservedRun run = launcher.Run();
    ExpectCrashedWithoutBoxes(run);
    ASSERT_EQ(1u, ReadThreadLog(launcher.ThreadLog()).size());
    launcher.ExpectWholeDumpsOfLoggedThreads(dumps.Path(), 1, 1);
    EXPECT_TRUE(DumpFilesIn(launcher.Folder().Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(, CrashOn, testing::Values("main", "thread"),
                         [](const testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param) == "main" ? "MainThread"
                                                                       : "ModuleThread";
                         });

TEST(CrashProcess, TwoThreadsCrashingTogetherLeaveWholeDumps)
{
    LauncherFolder launcher;
    TempFolder dumps;
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "threads");
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER", dumps.Path());
    ObservedRun run = launcher.Run();
    ExpectCrashedWithoutBoxes(run);
    ASSERT_EQ(2u, ReadThreadLog(launcher.ThreadLog()).size());
    // One per second the two fell into.
    launcher.ExpectWholeDumpsOfLoggedThreads(dumps.Path(), 1, 2);
}

TEST(CrashProcess, CrashWithoutALoadedModuleAsksThenDumpsIntoTheCurrentDirectory)
{
    // The launcher's start-up finds no module to load, then crashes.
    LauncherFolder launcher(nullptr, "CrashAfterFailedLoad.exe");
    ObservedRun run = launcher.Run();
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(kAccessViolation, run.exitCode);
    EXPECT_EQ((std::vector<std::string>{"Unable to load DLL: QuavPlusUI.dll", kMissingExportText}),
              run.Texts());
    EXPECT_EQ((std::vector<size_t>{0, 0}), launcher.m_dumpsAtEachBox);
    std::vector<std::string> dumps = DumpFilesIn(launcher.Folder().Path());
    ASSERT_EQ(1u, dumps.size());
    MiniDumpSummary dump = ReadMiniDump(launcher.Folder().File(dumps[0]));
    EXPECT_TRUE(dump.whole);
    EXPECT_EQ(kAccessViolation, dump.exceptionCode);
}

TEST(CrashProcess, MissingFolderWritesNothingAndShowsNothing)
{
    LauncherFolder launcher;
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "main");
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER",
                                     launcher.Folder().File("no such folder"));
    ObservedRun run = launcher.Run();
    ExpectCrashedWithoutBoxes(run);
    EXPECT_TRUE(DumpFilesIn(launcher.Folder().Path()).empty());
}

TEST(CrashProcess, FaultInsideDLLGetDumpPathStillEndsTheProcess)
{
    LauncherFolder launcher;
    TempFolder dumps;
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "main");
    ScopedEnvironmentVariable faults("QUAV_TEST_DUMP_PATH_FAULTS", "1");
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER", dumps.Path());
    ObservedRun run = launcher.Run();
    ExpectCrashedWithoutBoxes(run);
    EXPECT_TRUE(DumpFilesIn(dumps.Path()).empty());
    EXPECT_TRUE(DumpFilesIn(launcher.Folder().Path()).empty());
    // The second fault brings the thread back into the writer, which lets
    // it go at once instead of waiting for its own turn to end.
    EXPECT_LT(launcher.m_dwRunMs, 5000u);
}

} // namespace
