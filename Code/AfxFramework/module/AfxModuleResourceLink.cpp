// The resource link: linked into every UI module by the SDK's CMake target
// (QuavPlus::Framework), exactly once, so that the module's own dialog
// templates, icons, cursors, bitmaps and strings are found by the framework
// while the module is loaded, with no call from its author. The target tells
// the linker to take this object by the name below (see
// quavplus_resource_link_option). The object is built when the module is
// loaded (before its DllMain runs) and destroyed when it is unloaded (after
// its DllMain has run).
#include <afxwin.h>

// The linker's name for the start of this module's own image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" CDynLinkLibrary afxModuleResourceLink;
CDynLinkLibrary afxModuleResourceLink(reinterpret_cast<HINSTANCE>(&__ImageBase));
