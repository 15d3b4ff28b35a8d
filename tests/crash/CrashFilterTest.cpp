// The crash dump writer called in-process with prepared access violations.
// This test program is its own UI module: it exports DLLGetDumpPath, whose
// answer each test chooses, and it gives the writer its own handle as the
// loaded module. Each test case runs in a process of its own, which
// matters: the writer handles one crash at a time, and a later one waits
// until the platform had its time to end the process.
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CrashTestFiles.h"
#include "CreateFileRecorder.h"
#include "FilterRun.h"
#include "ImportPatch.h"
#include "InstanceGuard.h"
#include "MiniDumpReader.h"
#include "CrashDumpWriter.h"
#include "TestFiles.h"
#include "UIModuleContract.h"

CInstanceGuard theInstanceGuard("QuavCrashFilterTests");

namespace {

std::function<void(char*)> g_answerDumpPath;

} // namespace

QUAV_UI_MODULE_EXPORT BOOL __cdecl DLLGetDumpPath(char* pszFolder)
{
    if (g_answerDumpPath)
        g_answerDumpPath(pszFolder);
    return TRUE;
}

namespace {

const char kMissingExportText[] = "Unable to load FUNCTION: DLLGetDumpPath";

HMODULE ThisProgram() { return GetModuleHandleA(nullptr); }

// Where a dump into this folder text is written until it is whole.
std::string PartialPathIn(const std::string& folder)
{
    char szProcessId[16];
    sprintf(szProcessId, "%lx", GetCurrentProcessId());
    return folder + "\\QPLSCrash_" + szProcessId + ".tmp";
}

void AnswerFolder(const std::string& folder)
{
    g_answerDumpPath = [folder](char* pszBuffer) {
        memcpy(pszBuffer, folder.c_str(), folder.size() + 1);
    };
}

// Runs in the test's own folder, which is also the current directory.
class CrashFilter : public testing::Test {
protected:
    void SetUp() override
    {
        char szDirectory[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof(szDirectory), szDirectory);
        m_previousDirectory = szDirectory;
        SetCurrentDirectoryA(m_folder.Path().c_str());
        m_tBefore = _time64(nullptr);
        ASSERT_TRUE(m_createFile.IsRecording());
        InstallCrashDumpWriter();
    }
    void TearDown() override
    {
        TakeUIModuleFromCrashDumpWriter();
        SetCurrentDirectoryA(m_previousDirectory.c_str());
        g_answerDumpPath = nullptr;
    }

    // One dump in the folder, whole, recording this call's thread and an
    // access violation, named after a second of the run.
    void ExpectOneDumpOf(const std::string& folder, const FilterCall& call)
    {
        std::vector<std::string> dumps = DumpFilesIn(folder);
        ASSERT_EQ(1u, dumps.size());
        ExpectDumpOf(folder + "\\" + dumps[0], call);
    }
    void ExpectDumpOf(const std::string& path, const FilterCall& call)
    {
        long long tSeconds = DumpFileSeconds(path.substr(path.find_last_of('\\') + 1));
        EXPECT_GE(tSeconds, m_tBefore);
        EXPECT_LE(tSeconds, _time64(nullptr));
        MiniDumpSummary dump = ReadMiniDump(path);
        EXPECT_TRUE(dump.whole);
        EXPECT_TRUE(dump.hasException);
        EXPECT_EQ(call.threadId, dump.exceptionThreadId);
        EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), dump.exceptionCode);
        EXPECT_NE(dump.threadIds.end(),
                  std::find(dump.threadIds.begin(), dump.threadIds.end(), call.threadId));
    }

    TempFolder m_folder;
    CreateFileRecorder m_createFile;
    std::string m_previousDirectory;
    __time64_t m_tBefore = 0;
};

TEST_F(CrashFilter, NullExceptionPointersDoNothing)
{
    // No module: going any further would show a box.
    FilterRunOptions options;
    options.bNullPointers = true;
    FilterRun run = RunCrashFilter(options);
    ASSERT_TRUE(run.allReturned);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, run.calls[0].result);
    EXPECT_TRUE(run.boxTexts.empty());
    EXPECT_TRUE(DumpFilesIn(m_folder.Path()).empty());
    EXPECT_EQ(nullptr, GetModuleHandleA("dbghelp.dll"));
}

TEST_F(CrashFilter, WritesTheDumpIntoTheModulesFolderAndReleasesTheLibrary)
{
    TempFolder dumps;
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    AnswerFolder(dumps.Path());
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, run.calls[0].result);
    EXPECT_TRUE(run.boxTexts.empty());
    ExpectOneDumpOf(dumps.Path(), run.calls[0]);
    EXPECT_TRUE(DumpFilesIn(m_folder.Path()).empty());
    EXPECT_EQ(nullptr, GetModuleHandleA("dbghelp.dll"));

    // Written under a name of its own, shared with nobody, then renamed.
    std::vector<CreateFileCall> calls = m_createFile.CallsFor("QPLSCrash");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(PartialPathIn(dumps.Path()), calls[0].path);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_WRITE), calls[0].desiredAccess);
    EXPECT_EQ(0u, calls[0].shareMode);
    EXPECT_FALSE(calls[0].securityAttributes);
    EXPECT_EQ(static_cast<DWORD>(CREATE_ALWAYS), calls[0].creationDisposition);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), calls[0].flagsAndAttributes);
    EXPECT_FALSE(calls[0].templateFile);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(calls[0].path.c_str()));
}

TEST_F(CrashFilter, FolderEndingInABackslashIsTakenAsItIs)
{
    TempFolder dumps;
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    AnswerFolder(dumps.Path() + "\\");
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    ExpectOneDumpOf(dumps.Path(), run.calls[0]);
    std::vector<CreateFileCall> calls = m_createFile.CallsFor("QPLSCrash");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(PartialPathIn(dumps.Path() + "\\"), calls[0].path);
}

TEST_F(CrashFilter, EmptyFolderTextWritesIntoTheRootOfTheCurrentDrive)
{
    char szRoot[MAX_PATH] = {};
    GetFullPathNameA("\\", sizeof(szRoot), szRoot, nullptr);
    std::string root = szRoot;
    root.pop_back(); // "C:"
    std::vector<std::string> before = DumpFilesIn(root);
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    g_answerDumpPath = [](char*) {}; // writes nothing
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    std::vector<CreateFileCall> calls = m_createFile.CallsFor("QPLSCrash");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(0u, calls[0].path.rfind("\\QPLSCrash_", 0));
    std::vector<std::string> after = DumpFilesIn(root);
    for (const std::string& name : after) {
        if (std::find(before.begin(), before.end(), name) != before.end())
            continue;
        ExpectDumpOf(root + "\\" + name, run.calls[0]);
        DeleteFileA((root + "\\" + name).c_str());
    }
    EXPECT_EQ(before.size() + 1, after.size());
}

// The longest folder text whose dump path, with its NUL, still fits into
// the module's buffer.
size_t LongestFolderThatFits()
{
    size_t nDigits = std::to_string(static_cast<long long>(_time64(nullptr))).size();
    return kDumpPathBufferSize - 1 - strlen("\\QPLSCrash_") - nDigits - strlen(".dmp");
}

// A folder text of the given length inside the folder (it need not exist:
// paths this long are beyond the system's 8-bit file functions anyway).
std::string FolderTextOfLength(const std::string& inside, size_t nLength)
{
    return inside + "\\" + std::string(nLength - inside.size() - 1, 'd');
}

TEST_F(CrashFilter, PathThatJustFitsTheBufferIsComposedWhole)
{
    std::string folder = FolderTextOfLength(m_folder.Path(), LongestFolderThatFits());
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    AnswerFolder(folder);
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, run.calls[0].result);
    EXPECT_TRUE(run.boxTexts.empty());
    std::vector<CreateFileCall> calls = m_createFile.CallsFor("QPLSCrash");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(PartialPathIn(folder), calls[0].path);
}

// Folder texts that cannot make a path: nothing is created and nothing is
// shown, and the buffer is never read past its end.
struct RefusedFolder {
    const char* pszName;
    std::function<void(char*, const std::string& folder)> answer;
};

void PrintTo(const RefusedFolder& refused, std::ostream* pOut) { *pOut << refused.pszName; }

class CrashFilterRefuses : public CrashFilter, public testing::WithParamInterface<RefusedFolder> {};

TEST_P(CrashFilterRefuses, FolderTextAndCreatesNothing)
{
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    std::string folder = m_folder.Path();
    RefusedFolder refused = GetParam();
    g_answerDumpPath = [folder, refused](char* pszBuffer) { refused.answer(pszBuffer, folder); };
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, run.calls[0].result);
    EXPECT_TRUE(run.boxTexts.empty());
    EXPECT_TRUE(m_createFile.CallsFor("QPLSCrash").empty());
    EXPECT_TRUE(DumpFilesIn(m_folder.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    , CrashFilterRefuses,
    testing::Values(RefusedFolder{"PathOneLongerThanTheBuffer",
                                  [](char* pszBuffer, const std::string& folder) {
                                      std::string text =
                                          FolderTextOfLength(folder, LongestFolderThatFits() + 1);
                                      memcpy(pszBuffer, text.c_str(), text.size() + 1);
                                  }},
                    RefusedFolder{"NoTerminatingNul",
                                  [](char* pszBuffer, const std::string&) {
                                      memset(pszBuffer, 'a', kDumpPathBufferSize);
                                  }}),
    [](const testing::TestParamInfo<RefusedFolder>& param) { return param.param.pszName; });

// Without a folder from a module, the writer says so and, once the box is
// dismissed, writes into the current directory.
enum class NoFolder { NoModuleLoaded, ModuleWithoutExport };

const char* NoFolderName(NoFolder noFolder)
{
    return noFolder == NoFolder::NoModuleLoaded ? "NoModuleLoaded" : "ModuleWithoutExport";
}

void PrintTo(NoFolder noFolder, std::ostream* pOut) { *pOut << NoFolderName(noFolder); }

class CrashFilterWithoutFolder : public CrashFilter,
                                 public testing::WithParamInterface<NoFolder> {};

TEST_P(CrashFilterWithoutFolder, ShowsTheBoxThenWritesIntoTheCurrentDirectory)
{
    if (GetParam() == NoFolder::ModuleWithoutExport)
        GiveUIModuleToCrashDumpWriter(GetModuleHandleA("AfxFramework.dll"));
    size_t nDumpsAtTheBox = 99;
    FilterRunOptions options;
    options.onBox = [&](const std::string&) {
        nDumpsAtTheBox = DumpFilesIn(m_folder.Path()).size();
    };
    FilterRun run = RunCrashFilter(options);
    ASSERT_TRUE(run.allReturned);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, run.calls[0].result);
    EXPECT_EQ(std::vector<std::string>{kMissingExportText}, run.boxTexts);
    EXPECT_EQ(0u, nDumpsAtTheBox);
    ExpectOneDumpOf(m_folder.Path(), run.calls[0]);
}

INSTANTIATE_TEST_SUITE_P(, CrashFilterWithoutFolder,
                         testing::Values(NoFolder::NoModuleLoaded, NoFolder::ModuleWithoutExport),
                         [](const testing::TestParamInfo<NoFolder>& param) {
                             return NoFolderName(param.param);
                         });

// The clock the launcher reads, stopped at a second past the 32-bit range.
const __time64_t kStoppedClock = 4102444800; // 2100-01-01
__time64_t __cdecl StoppedTime64(__time64_t* pTime)
{
    if (pTime)
        *pTime = kStoppedClock;
    return kStoppedClock;
}

TEST_F(CrashFilter, SameSecondDumpTakesAFreeNameAndKeepsTheEarlierOne)
{
    ImportPatch clock("msvcrt.dll", "_time64", reinterpret_cast<void*>(&StoppedTime64));
    ASSERT_TRUE(clock.IsApplied());
    // Left by earlier crashes in the same second, one of them by a process
    // that had this one's id.
    const std::string name = "QPLSCrash_4102444800.dmp";
    const std::string pidName =
        "QPLSCrash_4102444800_" + std::to_string(GetCurrentProcessId()) + ".dmp";
    const std::string earlier(64 * 1024, 'E');
    ASSERT_TRUE(WriteWholeFile(m_folder.File(name), earlier));
    ASSERT_TRUE(WriteWholeFile(m_folder.File(pidName), earlier));
    GiveUIModuleToCrashDumpWriter(ThisProgram());
    AnswerFolder(m_folder.Path());
    FilterRun run = RunCrashFilter(FilterRunOptions());
    ASSERT_TRUE(run.allReturned);
    EXPECT_TRUE(run.boxTexts.empty());
    const std::string third =
        "QPLSCrash_4102444800_" + std::to_string(GetCurrentProcessId()) + "_2.dmp";
    EXPECT_EQ((std::vector<std::string>{name, pidName, third}), DumpFilesIn(m_folder.Path()));
    EXPECT_EQ(earlier, ReadWholeFile(m_folder.File(name)));
    EXPECT_EQ(earlier, ReadWholeFile(m_folder.File(pidName)));
    MiniDumpSummary dump = ReadMiniDump(m_folder.File(third));
    EXPECT_TRUE(dump.whole);
    EXPECT_EQ(run.calls[0].threadId, dump.exceptionThreadId);
}

} // namespace
