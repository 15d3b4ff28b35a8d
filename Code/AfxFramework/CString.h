// CString: the framework's 8-bit string (text in the process's ANSI code page).
// One pointer wide; the length and capacity live in a header in front of the
// characters, so the object converts to `const char*` for free.
#pragma once

#include <stdarg.h>

#include "AfxApi.h"

class AFX_API CString {
public:
    CString() noexcept;
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(const char* psz); // a null pointer gives the empty string
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    int GetLength() const noexcept;
    BOOL IsEmpty() const noexcept;
    void Empty();

    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch);

    operator const char*() const noexcept { return m_pszData; }
    const char* GetString() const noexcept { return m_pszData; }

    // printf-style formatting; the result replaces the whole string.
    void __cdecl Format(const char* pszFormat, ...) __attribute__((format(gnu_printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);

    // The string nID of the string tables the resource chain finds
    // (AfxFindResourceHandle); FALSE, and the string left as it was, when
    // there is none.
    BOOL LoadString(UINT nID);

    // Positions are zero-based; -1 means "not found".
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;

    // Counts are clamped to the string, as the framework has always done.
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    int Compare(const char* psz) const;       // byte order, like strcmp
    int CompareNoCase(const char* psz) const; // letter case ignored (ANSI code page)

    // Direct access for APIs that write into a caller's buffer.
    char* GetBuffer(int nMinBufLength);
    char* GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    void Assign(const char* pch, int nLength);
    void Append(const char* pch, int nLength);
    void Reserve(int nCapacity, bool bKeepContent);
    void Release() noexcept;

    char* m_pszData;
};

AFX_API CString operator+(const CString& a, const CString& b);
AFX_API CString operator+(const CString& a, const char* b);
AFX_API CString operator+(const char* a, const CString& b);
AFX_API CString operator+(const CString& a, char b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
inline bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
inline bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
inline bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
inline bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }
