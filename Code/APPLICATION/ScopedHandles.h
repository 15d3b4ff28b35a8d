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

// A kernel object's handle (a file from CreateFileA, a thread from
// OpenThread), closed when the owner goes. Both failure values, null and
// INVALID_HANDLE_VALUE, count as none.
class CScopedHandle {
public:
    explicit CScopedHandle(HANDLE hHandle) : m_hHandle(hHandle) {}
    ~CScopedHandle()
    {
        if (IsValid())
            ::CloseHandle(m_hHandle);
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    BOOL IsValid() const { return m_hHandle != INVALID_HANDLE_VALUE && m_hHandle != nullptr; }
    HANDLE Get() const { return m_hHandle; }

private:
    HANDLE m_hHandle;
};
