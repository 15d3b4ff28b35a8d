// Measures how long a crash takes to leave its dump: from the moment the UI
// module faults to the moment a whole dump ("QPLSCrash_*.dmp", which only
// ever names a whole one) appears in the folder. The launcher crashes with
// the benchmark module, which records the moment before it faults; the
// folder is watched for the name. Prints the median as a figure without a
// target.
//
//   CrashDumpBench FOLDER [--runs N]
// FOLDER holds QUAVPlusKDS.exe, the framework library and the benchmark
// module as QuavPlusUI.dll; the dumps go there and are deleted again.
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

std::string g_folder;

unsigned long long Now()
{
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// Deletes the dumps in the folder; true when there was one.
bool DeleteDumps()
{
    bool bFound = false;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((g_folder + "\\QPLSCrash_*.dmp").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    do {
        bFound = true;
        DeleteFileA((g_folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return bFound;
}

bool DumpExists()
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((g_folder + "\\QPLSCrash_*.dmp").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    return true;
}

// One crash: milliseconds from the fault to the whole dump, or a negative
// number on failure.
double CrashOnce()
{
    std::string out = g_folder + "\\bench-result.txt";
    DeleteFileA(out.c_str());
    DeleteDumps();
    SetEnvironmentVariableA("QUAV_BENCH_MODE", "crash");
    SetEnvironmentVariableA("QUAV_BENCH_OUT", out.c_str());
    HANDLE hChange =
        FindFirstChangeNotificationA(g_folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (hChange == INVALID_HANDLE_VALUE)
        return -1;
    std::string commandLine = "\"" + g_folder + "\\QUAVPlusKDS.exe\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        g_folder.c_str(), &si, &pi)) {
        FindCloseChangeNotification(hChange);
        return -1;
    }
    unsigned long long nDumpAt = 0;
    // A crash takes seconds; one that has not ended in minutes has hung.
    HANDLE handles[] = {hChange, pi.hProcess};
    for (;;) {
        DWORD dwWait = WaitForMultipleObjects(2, handles, FALSE, 5 * 60 * 1000);
        if (dwWait != WAIT_OBJECT_0)
            break; // the process ended (or hung), with or without a dump
        if (DumpExists()) {
            nDumpAt = Now();
            break;
        }
        FindNextChangeNotification(hChange);
    }
    FindCloseChangeNotification(hChange);
    if (WaitForSingleObject(pi.hProcess, 5 * 60 * 1000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!nDumpAt && DumpExists())
        nDumpAt = Now(); // the notice came after the process ended
    double faultAt = -1;
    if (FILE* f = fopen(out.c_str(), "rb")) {
        if (fscanf(f, "%lf", &faultAt) != 1)
            faultAt = -1;
        fclose(f);
    }
    DeleteDumps();
    if (!nDumpAt || faultAt < 0)
        return -1;
    return (static_cast<double>(nDumpAt) - faultAt) / 10000.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: CrashDumpBench FOLDER [--runs N]\n");
        return 2;
    }
    g_folder = argv[1];
    int nRuns = 15;
    if (argc > 3 && strcmp(argv[2], "--runs") == 0)
        nRuns = std::max(1, atoi(argv[3]));
    std::vector<double> times;
    for (int i = 0; i < nRuns; ++i) {
        double ms = CrashOnce();
        if (ms < 0) {
            fprintf(stderr, "CrashDumpBench: crash %d left no dump\n", i + 1);
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    printf("crash_to_dump_ms %.1f - INFO\n", median);
    return 0;
}
