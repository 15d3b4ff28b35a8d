// CDynLinkLibrary: puts a module's resources in the framework's resource
// chain for the object's lifetime.
//
// AfxFindResourceHandle searches the executable, then every module in the
// chain (the one added last first), then the framework library. A UI module
// built with the SDK never makes one of these itself: the SDK's CMake target
// links a static one into every module exactly once (its "resource link"), so
// the module joins the chain when it is loaded and leaves it when it is
// unloaded.
#pragma once

#include "AfxApi.h"

class AFX_API CDynLinkLibrary {
public:
    // The process's executable is not added: it is searched first anyway.
    explicit CDynLinkLibrary(HINSTANCE hModule);
    ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HINSTANCE m_hResource;

private:
    friend struct AfxResourceChain;
    CDynLinkLibrary* m_pNextDLL = nullptr; // the module that joined before this one
};
