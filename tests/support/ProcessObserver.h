// Starts a program and watches it the way a person at the screen would: every
// message box it shows is read and answered with OK, and its exit code is
// taken when it ends. Nothing ever waits for a real person; a program that
// runs past the timeout is killed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ObservedBox {
    std::string title;
    std::string text;
};

struct ObservedRun {
    bool started = false;           // CreateProcess succeeded
    DWORD launchError = 0;          // its error code otherwise
    bool timedOut = false;          // killed at the timeout
    DWORD exitCode = 0;             // full 32-bit exit code
    std::vector<ObservedBox> boxes; // in the order they appeared

    std::vector<std::string> Texts() const;
};

struct ObserveOptions {
    std::string commandLine;      // program and arguments, as CreateProcess takes them
    std::string workingDirectory; // empty: the observer's own
    // The program's file when it cannot be found from the command line (a
    // file without the .exe extension, say); empty: from the command line.
    std::string applicationName;
    int showWindow = -1; // the show command to start with; -1: the default
    DWORD timeoutMs = 30000;
    // Called with each box before it is answered; return false to leave it
    // unanswered (the program then runs into the timeout).
    std::function<bool(const ObservedBox&, HWND hWndBox, HANDLE hProcess)> onBox;
    // Called once the process has started, before it is watched.
    std::function<void(const PROCESS_INFORMATION&)> onStarted;
};

ObservedRun ObserveProcess(const ObserveOptions& options);

// The text of a message box window, or false when hWnd is not one.
bool ReadMessageBox(HWND hWnd, ObservedBox* pBox);
