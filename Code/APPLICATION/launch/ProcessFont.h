// A font for the whole process, made at the first draw that succeeds in
// making it, with that draw's pixel density, and kept until the process ends
// (held in a function-local static). The launch screen's title and the
// buttons' caption are two of them, each with its own request.
#pragma once

#include <afxwin.h>

class CProcessFont {
public:
    // The font request for a display of the given vertical pixel density.
    typedef LOGFONTA (*PFN_REQUEST)(int nLogPixelsY);

    explicit CProcessFont(PFN_REQUEST pfnRequest) : m_pfnRequest(pfnRequest) {}
    CProcessFont(const CProcessFont&) = delete;
    CProcessFont& operator=(const CProcessFont&) = delete;

    // The font, made now with dc's density when no earlier call made it;
    // null while making it fails, which the next call tries again.
    CFont* Get(CDC& dc);

private:
    PFN_REQUEST m_pfnRequest;
    CFont m_font;
    int m_nCreated = 0; // 1 once the font exists
};
