// observer: runs a program, answers its message boxes with OK and reports
// what it saw.
//
//   observer [--timeout MS] [--cwd DIR] -- PROGRAM [ARGUMENTS...]
//
// Output, one line each: "BOX <title>|<text>" per message box in the order
// shown, then "EXIT <code>" (decimal, the full 32-bit code) or "TIMEOUT".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ProcessObserver.h"

namespace {

int Usage()
{
    fprintf(stderr, "usage: observer [--timeout MS] [--cwd DIR] -- PROGRAM [ARGUMENTS...]\n");
    return 2;
}

// The rest of our own command line after " -- ", passed on untouched.
const char* CommandAfterSeparator()
{
    const char* pszLine = GetCommandLineA();
    const char* pszSep = strstr(pszLine, " -- ");
    return pszSep ? pszSep + 4 : nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    ObserveOptions options;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            options.timeoutMs = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
        else if (strcmp(argv[i], "--cwd") == 0 && i + 1 < argc)
            options.workingDirectory = argv[++i];
        else
            return Usage();
    }
    const char* pszCommand = CommandAfterSeparator();
    if (i >= argc || !pszCommand || !*pszCommand)
        return Usage();
    options.commandLine = pszCommand;

    ObservedRun run = ObserveProcess(options);
    if (!run.started) {
        fprintf(stderr, "observer: cannot start the program (error %lu)\n", run.launchError);
        return 1;
    }
    for (const ObservedBox& box : run.boxes)
        printf("BOX %s|%s\n", box.title.c_str(), box.text.c_str());
    if (run.timedOut)
        printf("TIMEOUT\n");
    else
        printf("EXIT %lu\n", run.exitCode);
    return 0;
}
