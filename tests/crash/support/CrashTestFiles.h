// Files around a crash: the dumps a folder holds and the thread ids a test
// module logged; and environment settings for the programs a test starts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// File names "QPLSCrash_*.dmp" in the folder, sorted.
std::vector<std::string> DumpFilesIn(const std::string& folder);

// The seconds of a dump file name "QPLSCrash_<seconds>.dmp" (or, when that
// name was taken, "QPLSCrash_<seconds>_<process id>[_<n>].dmp"), or -1 when
// the name is not made that way.
long long DumpFileSeconds(const std::string& name);

// The decimal numbers of a log, one a line.
std::vector<DWORD> ReadThreadLog(const std::string& path);

// Sets an environment variable of this process, which the programs it
// starts inherit, and restores the old state when it goes.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* pszName, const std::string& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string m_name;
    bool m_bHadValue;
    std::string m_oldValue;
};
