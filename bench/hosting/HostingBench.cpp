// Measures what hosting costs, side by side in one run:
//   startup  process creation to the module's DLLInitInstance, the launcher
//            against a minimal host that only loads the module and calls it
//   forward  time per posted message through the launcher's loop (with the
//            module's pre-translation hook, looked up at every message)
//            against the framework's loop without a hook. Under Wine a
//            posted message costs from 50 to several hundred microseconds,
//            so this sees work of that order added per message (another
//            trip through the queue, a module loaded anew), never the hook's
//            own fraction of a microsecond: that is what
//   hook     the launcher's pre-translation against the framework's, timed
//            by the benchmark module inside one launcher run, in process
//            with no message queue (--hook-batches alternating batches).
// Each side runs --runs times (at least 15), the two sides alternating. The
// times are medians; a ratio is the median of the ratios of runs made one
// right after the other, which a shared machine's load (other builds come
// and go within seconds) slows down alike. Start-up runs at least
// --startup-runs times: a process start under Wine varies by half its length
// from one run to the next, so 15 pairs leave the ratio wandering by a
// fifth. Prints "name value target PASS|FAIL" lines.
//
//   HostingBench FOLDER [--runs N] [--startup-runs N] [--messages N] [--hook-batches N]
// FOLDER holds QUAVPlusKDS.exe, MinimalHost.exe, LoopHost.exe, the framework
// library and the benchmark module as QuavPlusUI.dll.
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

std::string g_folder;

// Runs one program of the folder to its end and returns the first figure the
// benchmark module wrote (the second, when asked, into *pSecond), or a
// negative number on failure.
double RunOnce(const char* pszProgram, const char* pszMode, double* pSecond = nullptr)
{
    std::string out = g_folder + "\\bench-result.txt";
    DeleteFileA(out.c_str());
    SetEnvironmentVariableA("QUAV_BENCH_MODE", pszMode);
    SetEnvironmentVariableA("QUAV_BENCH_OUT", out.c_str());
    std::string commandLine = "\"" + g_folder + "\\" + pszProgram + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        g_folder.c_str(), &si, &pi))
        return -1;
    // A run takes seconds; one that has not ended in minutes has hung.
    DWORD dwWait = WaitForSingleObject(pi.hProcess, 5 * 60 * 1000);
    if (dwWait != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    double value = -1;
    if (FILE* f = fopen(out.c_str(), "rb")) {
        if (fscanf(f, "%lf", &value) != 1 || (pSecond && fscanf(f, "%lf", pSecond) != 1))
            value = -1;
        fclose(f);
    }
    return dwWait == WAIT_OBJECT_0 ? value : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct SideBySide {
    double medianA = 0;
    double medianB = 0;
    double ratio = 0; // of A to B
    bool ok = true;
};

SideBySide Alternate(const char* pszA, const char* pszB, const char* pszMode, int nRuns)
{
    std::vector<double> a, b, ratios;
    SideBySide result;
    // One unmeasured run each, so that neither side pays for a cold cache.
    RunOnce(pszA, pszMode);
    RunOnce(pszB, pszMode);
    for (int i = 0; i < nRuns; ++i) {
        // Each side goes first in every other pair, so that neither always
        // follows the other's exit.
        double va, vb;
        if (i % 2 == 0) {
            va = RunOnce(pszA, pszMode);
            vb = RunOnce(pszB, pszMode);
        } else {
            vb = RunOnce(pszB, pszMode);
            va = RunOnce(pszA, pszMode);
        }
        if (va < 0 || vb < 0) {
            fprintf(stderr, "HostingBench: a %s run failed (%s %.1f, %s %.1f)\n", pszMode, pszA, va,
                    pszB, vb);
            result.ok = false;
            return result;
        }
        a.push_back(va);
        b.push_back(vb);
        ratios.push_back(va / vb);
    }
    result.medianA = Median(a);
    result.medianB = Median(b);
    result.ratio = Median(ratios);
    return result;
}

void PrintInfo(const char* pszName, double value) { printf("%s %.1f - INFO\n", pszName, value); }

void PrintFigure(const char* pszName, double value, double target, bool bOk)
{
    printf("%s %.3f %.2f %s\n", pszName, value, target, bOk && value <= target ? "PASS" : "FAIL");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr,
                "usage: HostingBench FOLDER [--runs N] [--startup-runs N] [--messages N]\n");
        return 2;
    }
    g_folder = argv[1];
    int nRuns = 15;
    int nStartupRuns = 101;
    long nMessages = 5000;
    const char* pszHookBatches = "101";
    for (int i = 2; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--runs") == 0)
            nRuns = std::max(15, atoi(argv[i + 1]));
        else if (strcmp(argv[i], "--startup-runs") == 0)
            nStartupRuns = std::max(15, atoi(argv[i + 1]));
        else if (strcmp(argv[i], "--messages") == 0)
            nMessages = atol(argv[i + 1]);
        else if (strcmp(argv[i], "--hook-batches") == 0)
            pszHookBatches = argv[i + 1];
    }
    char szMessages[32];
    sprintf(szMessages, "%ld", nMessages);
    SetEnvironmentVariableA("QUAV_BENCH_MESSAGES", szMessages);

    SetEnvironmentVariableA("QUAV_BENCH_BATCHES", pszHookBatches);
    double hookBaseNs = 0;
    double hookNs = RunOnce("QUAVPlusKDS.exe", "hook", &hookBaseNs);
    if (hookNs < 0)
        fprintf(stderr, "HostingBench: the hook run failed\n");
    PrintInfo("hook_ns", hookNs);
    PrintInfo("hook_base_ns", hookBaseNs);
    printf("hook_ratio %.3f - INFO\n", hookBaseNs > 0 ? hookNs / hookBaseNs : 0);
    printf("hook_extra_ns %.1f 1000 %s\n", hookNs - hookBaseNs,
           hookNs >= 0 && hookNs - hookBaseNs <= 1000 ? "PASS" : "FAIL");

    SideBySide startup =
        Alternate("QUAVPlusKDS.exe", "MinimalHost.exe", "startup", std::max(nRuns, nStartupRuns));
    PrintInfo("startup_launcher_us", startup.medianA);
    PrintInfo("startup_minimal_host_us", startup.medianB);
    PrintFigure("startup_ratio", startup.ok ? startup.ratio : 0, 1.10, startup.ok);

    SideBySide forward = Alternate("QUAVPlusKDS.exe", "LoopHost.exe", "forward", nRuns);
    PrintInfo("forward_framework_loop_ns", forward.medianB);
    PrintFigure("forward_ratio", forward.ok ? forward.ratio : 0, 1.15, forward.ok);
    PrintInfo("forward_ns", forward.medianA);
    return 0;
}
