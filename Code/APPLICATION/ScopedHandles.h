// Owners for the raw handles the crash dump writer opens, so that every path
// out of it releases them.
#pragma once

#include <windows.h>

// A library loaded with LoadLibraryA, freed when the owner goes.
class CScopedLibrary {
public:
    explicit CScopedLibrary(HMODULE hModule) : m_hModule(hModule) {}
    ~CScopedLibrary()
    {
        if (m_hModule)
            ::FreeLibrary(m_hModule);
    }
    CScopedLibrary(const CScopedLibrary&) = delete;
    CScopedLibrary& operator=(const CScopedLibrary&) = delete;

    HMODULE Get() const { return m_hModule; }

private:
    HMODULE m_hModule;
};

// A file handle from CreateFileA, closed when the owner goes.
class CScopedFileHandle {
public:
    explicit CScopedFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CScopedFileHandle()
    {
        if (IsValid())
            ::CloseHandle(m_hFile);
    }
    CScopedFileHandle(const CScopedFileHandle&) = delete;
    CScopedFileHandle& operator=(const CScopedFileHandle&) = delete;

    BOOL IsValid() const { return m_hFile != INVALID_HANDLE_VALUE && m_hFile != nullptr; }
    HANDLE Get() const { return m_hFile; }

private:
    HANDLE m_hFile;
};
