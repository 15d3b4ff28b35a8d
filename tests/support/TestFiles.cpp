#include "TestFiles.h"

#include <windows.h>

#include <fstream>
#include <sstream>

std::string BuildBinFolder()
{
    char szPath[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string path = szPath;
    return path.substr(0, path.find_last_of('\\'));
}

std::string BuiltFile(const std::string& name) { return BuildBinFolder() + "\\" + name; }

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool FileExists(const std::string& path)
{
    DWORD dwAttributes = GetFileAttributesA(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool WriteWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

TempFolder::TempFolder()
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(sizeof(szTemp), szTemp);
    static LONG s_nCounter = 0;
    for (;;) {
        char szName[64];
        wsprintfA(szName, "qptest-%lu-%lu-%ld", GetCurrentProcessId(), GetTickCount(),
                  InterlockedIncrement(&s_nCounter));
        std::string path = std::string(szTemp) + szName;
        if (CreateDirectoryA(path.c_str(), nullptr)) {
            m_path = path;
            return;
        }
    }
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

bool TempFolder::CopyIn(const std::string& source, const std::string& name) const
{
    return CopyFileA(source.c_str(), File(name).c_str(), FALSE) != FALSE;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(path.c_str());
}
