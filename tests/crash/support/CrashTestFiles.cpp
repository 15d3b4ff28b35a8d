#include "CrashTestFiles.h"

#include <stdlib.h>

#include <algorithm>

#include "TestFiles.h"

std::vector<std::string> DumpFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\QPLSCrash_*.dmp").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

long long DumpFileSeconds(const std::string& name)
{
    const std::string prefix = "QPLSCrash_", suffix = ".dmp";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix))
        return -1;
    std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    // A second dump of the same second carries "_<process id>[_<n>]".
    std::string digits = rest.substr(0, rest.find('_'));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits[0] == '0' || rest.find_first_not_of("0123456789_") != std::string::npos)
        return -1;
    return strtoll(digits.c_str(), nullptr, 10);
}

std::vector<DWORD> ReadThreadLog(const std::string& path)
{
    std::vector<DWORD> ids;
    std::string text = ReadWholeFile(path);
    const char* p = text.c_str();
    char* pEnd = nullptr;
    for (unsigned long id = strtoul(p, &pEnd, 10); pEnd != p; id = strtoul(p, &pEnd, 10)) {
        ids.push_back(static_cast<DWORD>(id));
        p = pEnd;
    }
    return ids;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* pszName, const std::string& value)
    : m_name(pszName), m_bHadValue(false)
{
    DWORD dwLength = GetEnvironmentVariableA(pszName, nullptr, 0);
    if (dwLength > 0) {
        m_oldValue.resize(dwLength);
        DWORD dwCopied = GetEnvironmentVariableA(pszName, &m_oldValue[0], dwLength);
        m_oldValue.resize(dwCopied);
        m_bHadValue = true;
    }
    SetEnvironmentVariableA(pszName, value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
{
    SetEnvironmentVariableA(m_name.c_str(), m_bHadValue ? m_oldValue.c_str() : nullptr);
}
