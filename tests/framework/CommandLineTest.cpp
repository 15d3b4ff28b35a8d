#include <afxwin.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.h"

namespace {

struct ParamCall {
    std::string param;
    bool bFlag;
    bool bLast;
};

class RecordingCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override
    {
        calls.push_back({pszParam, bFlag != FALSE, bLast != FALSE});
    }
    std::vector<ParamCall> calls;
};

std::vector<std::string> SplitWithFramework(const char* pszCommandLine)
{
    std::vector<std::string> args;
    AfxSplitCommandLine(
        pszCommandLine,
        [](void* pContext, int, const char* pszArg) {
            static_cast<std::vector<std::string>*>(pContext)->push_back(pszArg);
        },
        &args);
    return args;
}

std::string FromHex(const std::string& hex)
{
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return text;
}

struct EchoedSplits {
    std::vector<std::string> crt;
    std::vector<std::string> framework;
};

// Starts ArgsEcho.exe with the given arguments and reads back how the C
// run-time and the framework each split its command line.
EchoedSplits EchoSplits(const std::string& arguments)
{
    TempFolder folder;
    std::string outFile = folder.File("split.txt");
    SetEnvironmentVariableA("ARGS_ECHO_OUT", outFile.c_str());
    std::string commandLine = Quoted(BuiltFile("ArgsEcho.exe")) + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    EchoedSplits result;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start ArgsEcho.exe";
        return result;
    }
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    std::string content = ReadWholeFile(outFile);
    std::vector<std::string>* pTarget = nullptr;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        std::string line = content.substr(pos, end - pos);
        pos = end == std::string::npos ? content.size() : end + 1;
        if (line.rfind("crt ", 0) == 0)
            pTarget = &result.crt;
        else if (line.rfind("framework ", 0) == 0)
            pTarget = &result.framework;
        else if (pTarget)
            pTarget->push_back(FromHex(line));
    }
    return result;
}

} // namespace

TEST(ParseCommandLine, CallsParseParamOncePerArgumentInOrder)
{
    RecordingCommandLineInfo info;
    AfxParseCommandLine(info, "prog.exe one \"two words\" three");
    ASSERT_EQ(3u, info.calls.size());
    EXPECT_EQ("one", info.calls[0].param);
    EXPECT_EQ("two words", info.calls[1].param);
    EXPECT_EQ("three", info.calls[2].param);
    EXPECT_FALSE(info.calls[0].bLast);
    EXPECT_FALSE(info.calls[1].bLast);
    EXPECT_TRUE(info.calls[2].bLast);
}

TEST(ParseCommandLine, StripsOneLeadingDashOrSlashAsAFlag)
{
    RecordingCommandLineInfo info;
    AfxParseCommandLine(info, "prog.exe -a /b --c //d \\LX.dll - e-");
    ASSERT_EQ(7u, info.calls.size());
    EXPECT_EQ("a", info.calls[0].param);
    EXPECT_TRUE(info.calls[0].bFlag);
    EXPECT_EQ("b", info.calls[1].param);
    EXPECT_TRUE(info.calls[1].bFlag);
    EXPECT_EQ("-c", info.calls[2].param); // only one character is stripped
    EXPECT_TRUE(info.calls[2].bFlag);
    EXPECT_EQ("/d", info.calls[3].param);
    EXPECT_EQ("\\LX.dll", info.calls[4].param);
    EXPECT_FALSE(info.calls[4].bFlag);
    EXPECT_EQ("", info.calls[5].param); // a lone dash is an empty flag
    EXPECT_TRUE(info.calls[5].bFlag);
    EXPECT_EQ("e-", info.calls[6].param);
    EXPECT_FALSE(info.calls[6].bFlag);
}

TEST(ParseCommandLine, NoArgumentsMeansNoCalls)
{
    RecordingCommandLineInfo info;
    AfxParseCommandLine(info, "\"C:\\Program Files\\prog.exe\"");
    AfxParseCommandLine(info, "prog.exe   \t ");
    AfxParseCommandLine(info, "");
    EXPECT_TRUE(info.calls.empty());
}

TEST(ParseCommandLine, ApplicationParsesItsOwnProcessCommandLine)
{
    // The test program was started with the GoogleTest arguments CTest gave;
    // whatever they are, the application sees the same list as the C run-time.
    RecordingCommandLineInfo info;
    CWinApp app;
    app.ParseCommandLine(info);
    ASSERT_EQ(static_cast<size_t>(__argc - 1), info.calls.size());
    for (int i = 1; i < __argc; ++i) {
        std::string expected = __argv[i];
        if (!expected.empty() && (expected[0] == '-' || expected[0] == '/'))
            expected.erase(0, 1);
        EXPECT_EQ(expected, info.calls[static_cast<size_t>(i - 1)].param);
    }
}

TEST(SplitCommandLine, FollowsTheRunTimeRulesOnKnownCases)
{
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"p", "a\"b"}), SplitWithFramework("p a\\\"b"));
    EXPECT_EQ((V{"p", "a\\b"}), SplitWithFramework("p a\\b"));
    EXPECT_EQ((V{"p", "a\\", "b"}), SplitWithFramework("p \"a\\\\\" b"));
    EXPECT_EQ((V{"p", "a\\\"b"}), SplitWithFramework("p a\\\\\\\"b"));
    EXPECT_EQ((V{"p", "", ""}), SplitWithFramework("p \"\" \"\""));
    EXPECT_EQ((V{"p", "x y", "z"}), SplitWithFramework("p \t\"x y\"\tz "));
    EXPECT_EQ((V{"C:\\a b\\p.exe", "1"}), SplitWithFramework("\"C:\\a b\\p.exe\" 1"));
    EXPECT_EQ((V{"C:\\dir\\", "x"}), SplitWithFramework("C:\\dir\\ x"));
}

TEST(SplitCommandLine, AgreesWithThePlatformRunTime)
{
    const std::string longArg(2000, 'L');
    const char* cases[] = {
        "",
        " plain words here",
        " \"nested \\\"quoted\\\" words\"",
        " a\\\\\\\"b c\\\\\"d e\" f\\\\",
        " back\\slash\\ trailing\\",
        " \"\" \"\" x \"\"",
        " \"abc\"def g\"h i\"j",
        " \"a\"\"b\" \"c\"\"\"d",
        " \ttab\tseparated\t\t\"and\ttabs\"\t",
        " \\\\server\\share\\ \"C:\\Program Files\\\\\"",
        " \"unterminated quote",
        " -\\LQUAVLXUI.dll /\\LOther.dll \\lsmall",
        " \"\\\"\" \\\\\"\"",
    };
    for (const char* pszArgs : cases) {
        EchoedSplits splits = EchoSplits(pszArgs);
        ASSERT_FALSE(splits.crt.empty()) << "no output for [" << pszArgs << "]";
        EXPECT_EQ(splits.crt, splits.framework) << "arguments: [" << pszArgs << "]";
    }
    EchoedSplits splits = EchoSplits(" \"" + longArg + "\" " + longArg);
    ASSERT_EQ(3u, splits.crt.size());
    EXPECT_EQ(longArg, splits.crt[1]);
    EXPECT_EQ(splits.crt, splits.framework);
}
