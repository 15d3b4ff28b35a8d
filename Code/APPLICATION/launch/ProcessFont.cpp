#include "ProcessFont.h"

CFont* CProcessFont::Get(CDC& dc)
{
    if (!m_nCreated) {
        LOGFONTA lf = m_pfnRequest(dc.GetDeviceCaps(LOGPIXELSY));
        if (m_font.CreateFontIndirect(&lf))
            m_nCreated = 1;
    }
    return m_nCreated ? &m_font : nullptr;
}
