// CQuavPlusApp: the launcher's application object. It holds no user
// interface of its own: it picks a UI module, loads it, takes the module's
// main window as its own, lets the module see every pre-translated message
// and tells it when the application ends.
#pragma once

#include <afxwin.h>

class CQuavPlusApp : public CWinApp {
public:
    CQuavPlusApp();
    ~CQuavPlusApp() override;

    // Installs the crash dump writer, parses the command line, refuses a
    // second copy of the edition, selects and loads the UI module and takes
    // its main window. FALSE (after a message box) stops the start-up.
    BOOL InitInstance() override;
    // The framework's answer, after the module's DLLPreTranslateMessage has
    // seen the message too.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Calls the module's DLLExitInstance, unloads it, and returns the
    // framework's exit code.
    int ExitInstance() override;

    // The UI module while it is loaded; null before and after.
    HMODULE GetUIModuleHandle() const;

    // Chooses the UI module's file name into strModule; strCmdLineModule (the
    // name the command line gave) is overwritten by the application-name
    // rule first. FALSE when start-up must stop.
    BOOL SelectUIModule(CString& strModule, CString& strCmdLineModule);
    // The application-name rule: "QUAVLXUI.dll" for the executable name
    // "QUAV-LX" (letter case counts), "QuavPlusUI.dll" for every other name.
    void SetModuleFromAppName(CString& strModule);

protected:
    int m_nInvocationMethod; // how the module is chosen: 0, 1 or 2; -1 until selected
    HMODULE m_hUIModule;     // meaningful only while m_bUIModuleLoaded is 1
    BOOL m_bUIModuleLoaded;
    CString m_strUIModule; // the chosen module's bare file name

    // Runs the chooser dialog: TRUE with its choice (possibly empty) in
    // strModule, FALSE when the user cancelled it.
    BOOL RunLaunchScreen(CString& strModule);

    DECLARE_MESSAGE_MAP()
};
