#include "AfxGlobals.h"

#include "AfxModuleState.h"
#include "AfxTrace.h"
#include "CWinApp.h"
#include "CWnd.h"

namespace {

CWinApp* g_pApp = nullptr;
DWORD g_dwAppThreadId = 0;

// The framework library's own module handle.
HMODULE FrameworkModule()
{
    HMODULE hModule = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&FrameworkModule), &hModule);
    return hModule;
}

} // namespace

void AfxSetCurrentApp(CWinApp* pApp)
{
    g_pApp = pApp;
    g_dwAppThreadId = pApp ? ::GetCurrentThreadId() : 0;
}

CWinApp* AFXAPI AfxGetApp() { return g_pApp; }

CWinThread* AFXAPI AfxGetThread()
{
    return g_pApp && ::GetCurrentThreadId() == g_dwAppThreadId ? g_pApp : nullptr;
}

CWnd* AFXAPI AfxGetMainWnd()
{
    CWinThread* pThread = AfxGetThread();
    return pThread ? pThread->GetMainWnd() : nullptr;
}

LPCSTR AFXAPI AfxGetAppName() { return g_pApp ? g_pApp->m_pszAppName : nullptr; }

HINSTANCE AFXAPI AfxGetInstanceHandle()
{
    if (g_pApp && g_pApp->m_hInstance)
        return g_pApp->m_hInstance;
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType)
{
    HINSTANCE hExe = AfxGetResourceHandle();
    if (::FindResourceA(hExe, lpszName, lpszType))
        return hExe;
    if (HINSTANCE hModule = AfxFindResourceInChain(lpszName, lpszType))
        return hModule;
    HINSTANCE hFramework = FrameworkModule();
    if (hFramework && ::FindResourceA(hFramework, lpszName, lpszType))
        return hFramework;
    // A module's own resources are missing here when its resource link is:
    // see the module guide's Resources.
    AfxTrace("AfxFindResourceHandle: %s is in neither the executable, a loaded module nor the "
             "framework",
             static_cast<const char*>(AfxResourceText(lpszName, lpszType)));
    return hExe;
}

CString AfxNameText(LPCSTR lpszName)
{
    CString strText;
    if (IS_INTRESOURCE(lpszName))
        strText.Format("#%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(lpszName)));
    else
        strText.Format("\"%s\"", lpszName);
    return strText;
}

CString AfxResourceText(LPCSTR lpszName, LPCSTR lpszType)
{
    // Strings are found by blocks of sixteen, named by their number from one.
    if (lpszType == RT_STRING && IS_INTRESOURCE(lpszName)) {
        unsigned nBlock = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(lpszName));
        CString strText;
        strText.Format("the string block of strings %u to %u", (nBlock - 1) * 16,
                       (nBlock - 1) * 16 + 15);
        return strText;
    }
    static const struct {
        LPCSTR lpszType;
        const char* pszName;
    } kKnownTypes[] = {
        {RT_BITMAP, "bitmap"},       {RT_DIALOG, "dialog template"},
        {RT_GROUP_CURSOR, "cursor"}, {RT_GROUP_ICON, "icon"},
        {RT_MENU, "menu"},
    };
    for (const auto& known : kKnownTypes) {
        if (known.lpszType == lpszType)
            return known.pszName + (" " + AfxNameText(lpszName));
    }
    return "resource " + AfxNameText(lpszName) + " of type " + AfxNameText(lpszType);
}

void AFXAPI AfxPostQuitMessage(int nExitCode) { ::PostQuitMessage(nExitCode); }

LPCSTR AFXAPI AfxRegisterDefaultWndClass()
{
    static const char kClassName[] = "AfxFrameworkWnd";
    static ATOM s_atom = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        // Global, so windows of any module can use it.
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = FrameworkModule();
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExA(&wc);
    }();
    (void)s_atom;
    return kClassName;
}

CString AfxGetModuleBaseName(HMODULE hModule)
{
    CString strPath;
    DWORD dwSize = MAX_PATH;
    for (;;) {
        DWORD dwLength = ::GetModuleFileNameA(
            hModule, strPath.GetBufferSetLength(static_cast<int>(dwSize)), dwSize);
        if (dwLength == 0) {
            strPath.Empty();
            break;
        }
        if (dwLength < dwSize) {
            strPath.ReleaseBuffer(static_cast<int>(dwLength));
            break;
        }
        dwSize *= 2; // the path was cut; try a larger buffer
    }
    int nSlash = strPath.ReverseFind('\\');
    CString strName = strPath.Mid(nSlash + 1);
    int nDot = strName.ReverseFind('.');
    return nDot >= 0 ? strName.Left(nDot) : strName;
}

int AfxShowMessageBox(LPCSTR lpszText, UINT nType)
{
    // Only a window of this thread may own the box: a box on another thread
    // (a crash report, say) must not wait for the main thread.
    HWND hWndOwner = nullptr;
    if (CWnd* pMainWnd = AfxGetMainWnd()) {
        if (::IsWindow(pMainWnd->m_hWnd) &&
            ::GetWindowThreadProcessId(pMainWnd->m_hWnd, nullptr) == ::GetCurrentThreadId())
            hWndOwner = ::GetLastActivePopup(pMainWnd->m_hWnd);
    }

    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }

    CString strTitle;
    if (LPCSTR pszAppName = AfxGetAppName())
        strTitle = pszAppName;
    else
        strTitle = AfxGetModuleBaseName(nullptr);
    return ::MessageBoxA(hWndOwner, lpszText ? lpszText : "", strTitle, nType);
}

int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* pApp = AfxGetApp())
        return pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return AfxShowMessageBox(lpszText, nType);
}
