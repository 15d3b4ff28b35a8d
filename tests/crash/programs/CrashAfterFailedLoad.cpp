// The launcher's own start-up, run until no UI module could be loaded, then
// a crash on the main thread: the crash dump writer that InitInstance
// installed first meets a process without a loaded module. Copied into a
// folder without "QuavPlusUI.dll" under an edition's name
// ("QUAVPlusKDS.exe"), which the instance guard requires.
#include "InstanceGuard.h"
#include "QuavPlusApp.h"

namespace {

volatile ULONG_PTR g_nBadAddress = 0x10;

class CCrashAfterStartApp : public CQuavPlusApp {
public:
    BOOL InitInstance() override
    {
        BOOL bStarted = CQuavPlusApp::InitInstance();
        *reinterpret_cast<volatile int*>(g_nBadAddress) = bStarted;
        return bStarted;
    }
};

} // namespace

CInstanceGuard theInstanceGuard(GetInstanceKey());
CCrashAfterStartApp theApp;
