// The process's static objects.
//
// Static initialisation must build them in this order: the framework (a
// library, initialised when it is loaded, before any of this), then the
// library search without the current folder (before anything can be loaded
// by name), then the instance guard, then the application object. C++ orders
// static initialisation only within one translation unit, so all are defined
// here, in that order; destruction runs in reverse, so the guard closes the mutex
// after the application object is gone. A refused executable name ends the
// process inside the guard's initialisation, before the application object
// exists.
#include "DllSearchOrder.h"
#include "InstanceGuard.h"
#include "QuavPlusApp.h"

namespace {

bool SearchDllsSafely()
{
    RemoveCurrentFolderFromDllSearch();
    return true;
}

const bool g_bDllSearchIsSafe = SearchDllsSafely();

} // namespace

CInstanceGuard theInstanceGuard(GetInstanceKey());
CQuavPlusApp theApp;
