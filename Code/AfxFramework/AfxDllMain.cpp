// Entry point of the framework library: per-thread state is set up when the
// library is loaded and freed as each thread ends.
#include "AfxThreadState.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        return AfxInitThreadStates() ? TRUE : FALSE;
    case DLL_THREAD_DETACH:
        AfxFreeThreadState();
        break;
    case DLL_PROCESS_DETACH:
        AfxTermThreadStates();
        break;
    default:
        break;
    }
    return TRUE;
}
