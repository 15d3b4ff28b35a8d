// The single-instance guard: refuses executable names outside the editions'
// table and marks a running copy of an edition with a named mutex.
#pragma once

#include <afxwin.h>

// Length of the buffer the executable's path is read into.
const DWORD kInstancePathBufferLength = 1000;

// The instance key (mutex name) for a full executable path, or null when
// its bare file name is not one of the three editions. Only the backslash
// separates folders; letter case is ignored; the extension must match.
const char* LookUpInstanceKey(const char* pszPath);

// The instance key for what GetModuleFileNameA left in a buffer of
// kInstancePathBufferLength characters, given the call's result. A failed
// call leaves the buffer undefined and a path that did not fit is cut (and,
// on older systems, unterminated): neither names an edition, so both give
// null. Only the dwReturned characters the call reported are read.
const char* InstanceKeyFromModulePath(const char* pszBuffer, DWORD dwReturned);

// The instance key of the running executable. For a name outside the table
// it shows "No proper application name found. 1" and ends the process with
// exit code 0, so it returns only with a key.
const char* GetInstanceKey();

class CInstanceGuard {
public:
    explicit CInstanceGuard(const char* key);
    ~CInstanceGuard();
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // TRUE when another process of this edition created the mutex first;
    // the guard then holds no handle to it.
    BOOL IsAlreadyRunning() const;

    // The process's one guard, the first constructed: during static
    // initialisation, before the application object (see AppObjects.cpp).
    // Null in a program that has none, where no other copy can be running.
    static const CInstanceGuard* ForThisProcess();

private:
    DWORD m_dwLastError;
    HANDLE m_hMutex;
};
