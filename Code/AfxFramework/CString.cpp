#include "CString.h"

#include "AfxGlobals.h"

#include <mbstring.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Header stored in front of the characters. The shared empty string has a
// capacity of 0 and is never written to or freed.
struct Data {
    int nLength;
    int nCapacity; // characters, not counting the terminating NUL
    char* Chars() noexcept { return reinterpret_cast<char*>(this + 1); }
};

struct EmptyString {
    Data header;
    char chNul;
};
static_assert(offsetof(EmptyString, chNul) == sizeof(Data), "characters follow the header");

EmptyString g_emptyString = {{0, 0}, '\0'};

char* EmptyChars() noexcept { return &g_emptyString.chNul; }

// Running out of memory is not recoverable for this process; raising a
// non-continuable exception hands it to the last-chance handler.
[[noreturn]] void OutOfMemory()
{
    RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    abort();
}

int SafeLength(const char* psz) { return psz ? static_cast<int>(strlen(psz)) : 0; }

} // namespace

namespace {
Data* HeaderOf(char* psz) noexcept { return reinterpret_cast<Data*>(psz) - 1; }
} // namespace

CString::CString() noexcept : m_pszData(EmptyChars()) {}

CString::CString(const CString& other) : m_pszData(EmptyChars())
{
    Assign(other.m_pszData, other.GetLength());
}

CString::CString(CString&& other) noexcept : m_pszData(other.m_pszData)
{
    other.m_pszData = EmptyChars();
}

CString::CString(const char* psz) : m_pszData(EmptyChars()) { Assign(psz, SafeLength(psz)); }

CString::CString(const char* pch, int nLength) : m_pszData(EmptyChars())
{
    Assign(pch, pch && nLength > 0 ? nLength : 0);
}

CString::CString(char ch, int nRepeat) : m_pszData(EmptyChars())
{
    if (nRepeat > 0) {
        Reserve(nRepeat, false);
        memset(m_pszData, ch, static_cast<size_t>(nRepeat));
        m_pszData[nRepeat] = '\0';
        HeaderOf(m_pszData)->nLength = nRepeat;
    }
}

CString::~CString() { Release(); }

void CString::Release() noexcept
{
    if (m_pszData != EmptyChars())
        free(HeaderOf(m_pszData));
    m_pszData = EmptyChars();
}

void CString::Reserve(int nCapacity, bool bKeepContent)
{
    Data* pOld = HeaderOf(m_pszData);
    if (nCapacity <= pOld->nCapacity)
        return;
    // Grow geometrically so that repeated appends stay linear.
    int nNew = pOld->nCapacity + pOld->nCapacity / 2;
    if (nNew < nCapacity)
        nNew = nCapacity;
    Data* pNew = static_cast<Data*>(malloc(sizeof(Data) + static_cast<size_t>(nNew) + 1));
    if (!pNew)
        OutOfMemory();
    pNew->nCapacity = nNew;
    pNew->nLength = bKeepContent ? pOld->nLength : 0;
    memcpy(pNew->Chars(), pOld->Chars(), bKeepContent ? static_cast<size_t>(pOld->nLength) : 0);
    pNew->Chars()[pNew->nLength] = '\0';
    Release();
    m_pszData = pNew->Chars();
}

void CString::Assign(const char* pch, int nLength)
{
    if (nLength <= 0) {
        Empty();
        return;
    }
    // The source may lie inside this string (s = s.Mid(...)): copy it first.
    if (pch >= m_pszData && pch <= m_pszData + GetLength()) {
        CString copy(pch, nLength);
        *this = static_cast<CString&&>(copy);
        return;
    }
    Reserve(nLength, false);
    memcpy(m_pszData, pch, static_cast<size_t>(nLength));
    m_pszData[nLength] = '\0';
    HeaderOf(m_pszData)->nLength = nLength;
}

void CString::Append(const char* pch, int nLength)
{
    if (nLength <= 0)
        return;
    if (pch >= m_pszData && pch <= m_pszData + GetLength()) {
        CString copy(pch, nLength);
        Append(copy.m_pszData, nLength);
        return;
    }
    int nOld = GetLength();
    Reserve(nOld + nLength, true);
    memcpy(m_pszData + nOld, pch, static_cast<size_t>(nLength));
    m_pszData[nOld + nLength] = '\0';
    HeaderOf(m_pszData)->nLength = nOld + nLength;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_pszData, other.GetLength());
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pszData = other.m_pszData;
        other.m_pszData = EmptyChars();
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    Assign(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator=(char ch)
{
    Assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    Append(other.m_pszData, other.GetLength());
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    Append(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

int CString::GetLength() const noexcept { return HeaderOf(m_pszData)->nLength; }

BOOL CString::IsEmpty() const noexcept { return GetLength() == 0; }

void CString::Empty()
{
    if (HeaderOf(m_pszData)->nCapacity > 0) {
        HeaderOf(m_pszData)->nLength = 0;
        m_pszData[0] = '\0';
    }
}

char CString::GetAt(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetLength() ? m_pszData[nIndex] : '\0';
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex >= 0 && nIndex < GetLength())
        m_pszData[nIndex] = ch;
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID)
{
    // Strings are stored in blocks of sixteen; the block's resource name is
    // its number, counted from one.
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), RT_STRING);
    const wchar_t* pchWide = nullptr;
    int nWide = ::LoadStringW(hInst, nID, reinterpret_cast<LPWSTR>(&pchWide), 0);
    if (nWide <= 0 || !pchWide)
        return FALSE;
    int nLength = ::WideCharToMultiByte(CP_ACP, 0, pchWide, nWide, nullptr, 0, nullptr, nullptr);
    if (nLength <= 0)
        return FALSE;
    ::WideCharToMultiByte(CP_ACP, 0, pchWide, nWide, GetBufferSetLength(nLength), nLength, nullptr,
                          nullptr);
    ReleaseBuffer(nLength);
    return TRUE;
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    if (!pszFormat) {
        Empty();
        return;
    }
    va_list measure;
    va_copy(measure, args);
    int nLength = vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    if (nLength <= 0) {
        Empty();
        return;
    }
    // The arguments may point into this string: format into a fresh buffer.
    CString result;
    result.Reserve(nLength, false);
    vsnprintf(result.m_pszData, static_cast<size_t>(nLength) + 1, pszFormat, args);
    HeaderOf(result.m_pszData)->nLength = nLength;
    *this = static_cast<CString&&>(result);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const char* p = static_cast<const char*>(
        memchr(m_pszData + nStart, ch, static_cast<size_t>(GetLength() - nStart)));
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    const char* p = strstr(m_pszData + nStart, pszSub);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::ReverseFind(char ch) const
{
    for (int i = GetLength() - 1; i >= 0; --i) {
        if (m_pszData[i] == ch)
            return i;
    }
    return -1;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > GetLength())
        nCount = GetLength();
    return CString(m_pszData, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > GetLength())
        nCount = GetLength();
    return CString(m_pszData + GetLength() - nCount, nCount);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > GetLength())
        nFirst = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > GetLength() - nFirst)
        nCount = GetLength() - nFirst;
    return CString(m_pszData + nFirst, nCount);
}

int CString::Compare(const char* psz) const { return strcmp(m_pszData, psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const
{
    // Multi-byte aware, so double-byte code pages compare correctly too.
    return _mbsicmp(reinterpret_cast<const unsigned char*>(m_pszData),
                    reinterpret_cast<const unsigned char*>(psz ? psz : ""));
}

char* CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < GetLength())
        nMinBufLength = GetLength();
    if (nMinBufLength == 0 && HeaderOf(m_pszData)->nCapacity == 0)
        Reserve(1, true); // callers may write the terminating NUL
    else
        Reserve(nMinBufLength, true);
    return m_pszData;
}

char* CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = 0;
    GetBuffer(nNewLength);
    HeaderOf(m_pszData)->nLength = nNewLength;
    m_pszData[nNewLength] = '\0';
    return m_pszData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    Data* pData = HeaderOf(m_pszData);
    if (pData->nCapacity == 0)
        return;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pszData, static_cast<size_t>(pData->nCapacity)));
    if (nNewLength > pData->nCapacity)
        nNewLength = pData->nCapacity;
    pData->nLength = nNewLength;
    m_pszData[nNewLength] = '\0';
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, const char* b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const char* a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, char b)
{
    CString result(a);
    result += b;
    return result;
}
