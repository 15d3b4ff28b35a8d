// A scratch installation of the launcher for out-of-process tests: the
// edition executable under a chosen file name, the framework library, and
// test UI modules under the names the launcher looks for.
#pragma once

#include <string>
#include <vector>

#include "ProcessObserver.h"
#include "TestFiles.h"

class LauncherSandbox {
public:
    // moduleDll: a built test module to install as "QuavPlusUI.dll"; empty
    // installs none.
    explicit LauncherSandbox(const std::string& exeName = "QUAVPlusKDS.exe",
                             const std::string& moduleDll = "TestModuleFull.dll");

    const std::string& Folder() const { return m_folder.Path(); }
    std::string File(const std::string& name) const { return m_folder.File(name); }
    // Installs another copy of the launcher, or a built module under a name.
    void AddExecutable(const std::string& exeName) const;
    void AddModule(const std::string& builtDll, const std::string& asName) const;

    // How to run exeName with these arguments; the test module runs in
    // `mode` and records its calls in the log `logName`. The module reads
    // both from the environment, which the started program inherits: start
    // it before preparing the next run.
    ObserveOptions Prepare(const std::string& arguments = "", const std::string& mode = "window",
                           const std::string& logName = "module.log",
                           const std::string& exeName = "") const;
    ObservedRun Run(const std::string& arguments = "", const std::string& mode = "window",
                    const std::string& logName = "module.log") const;

    // The module's record, one call per line; empty when it was never loaded.
    std::vector<std::string> Log(const std::string& logName = "module.log") const;

private:
    TempFolder m_folder;
    std::string m_exeName;
};

// Closes the main window of a test module running in the given process
// (the window stays in "stay" mode until then). False when there is none.
bool CloseTestModuleWindow(DWORD dwProcessId, DWORD dwWaitMs = 10000);
