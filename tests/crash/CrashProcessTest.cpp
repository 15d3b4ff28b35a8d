// The real launcher crashing: an edition's executable in a folder of its
// own with the framework library and a test UI module as "QuavPlusUI.dll",
// watched by the observer, which answers every box. The module crashes
// where the environment tells it to (see modules/CrashTestModule.cpp).
#include <string.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BackgroundObservation.h"
#include "CrashDumpGate.h"
#include "CrashDumpWriter.h"
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

    // How to run an edition of this folder; the module's settings come
    // from the environment, which the started program inherits.
    ObserveOptions Prepare(const char* pszProgram = "QUAVPlusKDS.exe")
    {
        SetEnvironmentVariableA("QUAV_TEST_THREAD_LOG", ThreadLog().c_str());
        ObserveOptions options;
        options.commandLine = Quoted(m_folder.File(pszProgram));
        options.workingDirectory = m_folder.Path();
        options.timeoutMs = 120000;
        options.onBox = [this](const ObservedBox&, HWND, HANDLE) {
            m_dumpsAtEachBox.push_back(DumpFilesIn(m_folder.Path()).size());
            if (m_dwHoldBoxMs)
                Sleep(m_dwHoldBoxMs);
            return true;
        };
        return options;
    }

    ObservedRun Run()
    {
        m_tBefore = _time64(nullptr);
        ObservedRun run = ObserveProcess(Prepare());
        m_tAfter = _time64(nullptr);
        return run;
    }

    // Every dump in the folder is whole, records one of the threads the
    // module logged, the exception, and a second of the run; the dumps
    // record different threads.
    void ExpectWholeDumpsOfLoggedThreads(const std::string& folder, size_t nDumps,
                                         DWORD dwCode = kAccessViolation)
    {
        std::vector<DWORD> logged = ReadThreadLog(ThreadLog());
        std::vector<std::string> dumps = DumpFilesIn(folder);
        EXPECT_EQ(nDumps, dumps.size());
        std::vector<DWORD> recorded;
        for (const std::string& name : dumps) {
            long long tSeconds = DumpFileSeconds(name);
            EXPECT_GE(tSeconds, m_tBefore) << name;
            EXPECT_LE(tSeconds, m_tAfter) << name;
            MiniDumpSummary dump = ReadMiniDump(folder + "\\" + name);
            EXPECT_TRUE(dump.whole) << name;
            EXPECT_TRUE(dump.hasException) << name;
            EXPECT_EQ(dwCode, dump.exceptionCode) << name;
            EXPECT_NE(logged.end(), std::find(logged.begin(), logged.end(), dump.exceptionThreadId))
                << name;
            EXPECT_EQ(recorded.end(),
                      std::find(recorded.begin(), recorded.end(), dump.exceptionThreadId));
            recorded.push_back(dump.exceptionThreadId);
        }
    }

    std::vector<size_t> m_dumpsAtEachBox;
    DWORD m_dwHoldBoxMs = 0;

private:
    TempFolder m_folder;
    __time64_t m_tBefore = 0;
    __time64_t m_tAfter = 0;
};

// How the module crashes, and what a person then sees and finds.
struct CrashCase {
    const char* pszName;
    const char* pszCrash;         // what the module does
    const char* pszDumpPathFault; // what DLLGetDumpPath does wrong, if anything
    DWORD dwExitCode;
    DWORD dwDumpedCode;                // the exception the dump records; 0: no dump at all
    bool bFolderUnknown;               // the box, then the dump in the current directory
    const char* pszRenameRefused = ""; // "1": renames fail as without the right to delete
    bool bLongestFolder = false;       // a folder text whose dump path just fits the system's limit
};

void PrintTo(const CrashCase& crash, std::ostream* pOut) { *pOut << crash.pszName; }

// Every file of the folder.
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return names;
}

// A folder inside the given one whose path is as long as the longest
// folder text that leaves a dump path within MAX_PATH.
std::string LongestDumpFolderIn(const std::string& base)
{
    size_t nDigits = std::to_string(static_cast<long long>(_time64(nullptr))).size();
    size_t nLength = MAX_PATH - 1 - strlen("\\QPLSCrash_") - nDigits - strlen(".dmp");
    std::string folder = base;
    while (folder.size() < nLength) {
        folder += "\\" + std::string(std::min<size_t>(nLength - folder.size() - 1, 100), 'd');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

#ifdef _WIN64
// A module thread's throw reaches the filter as the compiler's exception;
// the main thread's goes through the run-time's start-up, which ends it in
// abort().
const DWORD kUncaughtOnAModuleThread = 0x20474343;
#else
const DWORD kUncaughtOnAModuleThread = kFatalAppExitCode; // std::terminate, then abort()
#endif
const DWORD kStackOverflow = EXCEPTION_STACK_OVERFLOW;
const DWORD kContinuedException = 0xE0000CE5; // raised by the module

class CrashOn : public testing::TestWithParam<CrashCase> {};

TEST_P(CrashOn, LeavesOneWholeDumpOfTheCrashingThread)
{
    const CrashCase& crash = GetParam();
    LauncherFolder launcher;
    TempFolder dumps;
    std::string folder = crash.bLongestFolder ? LongestDumpFolderIn(dumps.Path()) : dumps.Path();
    ScopedEnvironmentVariable mode("QUAV_TEST_CRASH", crash.pszCrash);
    ScopedEnvironmentVariable fault("QUAV_TEST_DUMP_PATH_FAULTS", crash.pszDumpPathFault);
    ScopedEnvironmentVariable rename("QUAV_TEST_RENAME_REFUSED", crash.pszRenameRefused);
    ScopedEnvironmentVariable folderText("QUAV_TEST_DUMP_FOLDER", folder);
    ObservedRun run = launcher.Run();
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(crash.dwExitCode, run.exitCode);
    ASSERT_EQ(1u, ReadThreadLog(launcher.ThreadLog()).size());
    size_t nDumps = crash.dwDumpedCode ? 1 : 0;
    if (crash.bFolderUnknown) {
        EXPECT_EQ(std::vector<std::string>{kMissingExportText}, run.Texts());
        EXPECT_EQ(std::vector<size_t>{0}, launcher.m_dumpsAtEachBox);
        launcher.ExpectWholeDumpsOfLoggedThreads(launcher.Folder().Path(), 1, crash.dwDumpedCode);
        EXPECT_TRUE(FilesIn(folder).empty());
    } else {
        EXPECT_TRUE(run.boxes.empty());
        launcher.ExpectWholeDumpsOfLoggedThreads(folder, nDumps, crash.dwDumpedCode);
        // Nothing but the dump: no file is left half-written or unnamed.
        EXPECT_EQ(nDumps, FilesIn(folder).size());
        EXPECT_TRUE(DumpFilesIn(launcher.Folder().Path()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    , CrashOn,
    testing::Values(
        CrashCase{"MainThread", "main", "", kAccessViolation, kAccessViolation, false},
        CrashCase{"ModuleThread", "thread", "", kAccessViolation, kAccessViolation, false},
        // The main thread ends the application while the module's thread
        // is being dumped: the process ends with the crash, not with 0.
        CrashCase{"ModuleThreadWhileTheApplicationEnds", "thread-then-end", "", kAccessViolation,
                  kAccessViolation, false},
        CrashCase{"UncaughtExceptionOnTheMainThread", "throw", "", kFatalAppExitCode,
                  kFatalAppExitCode, false},
        CrashCase{"UncaughtExceptionOnAModuleThread", "thread-throw", "", kUncaughtOnAModuleThread,
                  kUncaughtOnAModuleThread, false},
        CrashCase{"Abort", "abort", "", kFatalAppExitCode, kFatalAppExitCode, false},
        CrashCase{"StackOverflowOnTheMainThread", "stack-overflow", "", kStackOverflow,
                  kStackOverflow, false},
        CrashCase{"StackOverflowOnAModuleThread", "thread-stack-overflow", "", kStackOverflow,
                  kStackOverflow, false},
        CrashCase{"FaultInsideDLLExitInstance", "exit-fault", "", kAccessViolation,
                  kAccessViolation, false},
        // A module's handler passes its thread's exception to the filter and
        // resumes: the dump is written and the application ends normally.
        CrashCase{"ContinuedExceptionThenANormalEnd", "thread-continued", "", 0,
                  kContinuedException, false},
        // The module fails while naming its folder: its crash is dumped as
        // if it had named none, and the process ends with that crash.
        CrashCase{"FaultInsideDLLGetDumpPath", "main", "1", kAccessViolation, kAccessViolation,
                  true},
        CrashCase{"ExceptionOutOfDLLGetDumpPath", "main", "throw", kAccessViolation,
                  kAccessViolation, true},
        // Nobody else waits: the process ends by itself once the work has
        // taken its bound, with no dump.
        CrashCase{"DLLGetDumpPathNeverReturns", "main", "hang", kAccessViolation, 0, false},
        CrashCase{"RenameRefused", "main", "", kAccessViolation, kAccessViolation, false, "1"},
        CrashCase{"LongestFolderThatFits", "main", "", kAccessViolation, kAccessViolation, false,
                  "", true}),
    [](const testing::TestParamInfo<CrashCase>& param) { return param.param.pszName; });

TEST(CrashProcess, TwoThreadsCrashingTogetherLeaveOneWholeDump)
{
    LauncherFolder launcher;
    TempFolder dumps;
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "threads");
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER", dumps.Path());
    ObservedRun run = launcher.Run();
    EXPECT_EQ(kAccessViolation, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(2u, ReadThreadLog(launcher.ThreadLog()).size());
    launcher.ExpectWholeDumpsOfLoggedThreads(dumps.Path(), 1);
}

TEST(CrashProcess, BoxKeptUpPastTheWritersBoundStillLeadsToTheDump)
{
    // Two threads crash; the one at the box waits for the person, however
    // long, and the other waits with it.
    LauncherFolder launcher("CrashTestModuleWithoutDumpPath.dll");
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "threads");
    launcher.m_dwHoldBoxMs = kCrashWorkLimitMs + 5000;
    ObservedRun run = launcher.Run();
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(kAccessViolation, run.exitCode);
    EXPECT_EQ(std::vector<std::string>{kMissingExportText}, run.Texts());
    EXPECT_EQ(std::vector<size_t>{0}, launcher.m_dumpsAtEachBox);
    launcher.ExpectWholeDumpsOfLoggedThreads(launcher.Folder().Path(), 1);
}

TEST(CrashProcess, TwoEditionsCrashingInTheSameSecondKeepEveryDump)
{
    LauncherFolder launcher;
    launcher.Folder().CopyIn(BuiltFile("QUAVPlusKDS.exe"), "QUAVPlusLXKDS.exe");
    TempFolder dumps;
    // The launchers' clocks stopped at one second, in which an earlier
    // crash already left its dump.
    const std::string earlier = dumps.File("QPLSCrash_4102444800.dmp");
    const std::string earlierContent(300 * 1024, 'E');
    ASSERT_TRUE(WriteWholeFile(earlier, earlierContent));
    ScopedEnvironmentVariable clock("QUAV_TEST_STOPPED_CLOCK", "4102444800");
    ScopedEnvironmentVariable crash("QUAV_TEST_CRASH", "main");
    ScopedEnvironmentVariable folder("QUAV_TEST_DUMP_FOLDER", dumps.Path());
    // Started together, the two write their dumps at the same time.
    BackgroundObservation kds(launcher.Prepare("QUAVPlusKDS.exe"));
    BackgroundObservation lx(launcher.Prepare("QUAVPlusLXKDS.exe"));
    EXPECT_EQ(kAccessViolation, kds.Wait().exitCode);
    EXPECT_EQ(kAccessViolation, lx.Wait().exitCode);

    EXPECT_EQ(earlierContent, ReadWholeFile(earlier));
    std::vector<std::string> names = DumpFilesIn(dumps.Path());
    ASSERT_EQ(3u, names.size());
    std::vector<DWORD> logged = ReadThreadLog(launcher.ThreadLog());
    ASSERT_EQ(2u, logged.size());
    std::vector<DWORD> recorded;
    for (const std::string& name : names) {
        EXPECT_EQ(4102444800LL, DumpFileSeconds(name)) << name;
        if (dumps.File(name) == earlier)
            continue;
        MiniDumpSummary dump = ReadMiniDump(dumps.File(name));
        EXPECT_TRUE(dump.whole) << name;
        EXPECT_EQ(kAccessViolation, dump.exceptionCode) << name;
        recorded.push_back(dump.exceptionThreadId);
    }
    std::sort(logged.begin(), logged.end());
    std::sort(recorded.begin(), recorded.end());
    EXPECT_EQ(logged, recorded);
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
    EXPECT_EQ(kAccessViolation, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(DumpFilesIn(launcher.Folder().Path()).empty());
}

} // namespace
