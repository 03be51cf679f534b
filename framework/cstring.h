// CString: the framework's 8-bit text value.
//
// A counted, zero-terminated copy of its text, owned by the object and copied on
// assignment. The text may hold embedded zeros (the file dialog's filter does);
// operator const char* then shows only the part before the first one. No Windows
// header: the portable logic and the Win32 adapters share this class.
#pragma once

#include <cstdarg>
#include <cstddef>

class CString {
public:
    // Construction and assignment: every CString owns its own copy.
    CString();
    CString(const char* psz); // NOLINT: implicit, as texts are passed everywhere
    CString(const char* pch, int nLength);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);

    // Reading.
    operator const char*() const { return m_pchData; }
    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    char GetAt(int nIndex) const { return m_pchData[nIndex]; }

    // Appending.
    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    // Pieces: counts are clamped to the text, so no call reads outside it.
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    // Changing in place.
    void MakeUpper(); // ASCII letters only, whatever the locale
    void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(const char* pszFormat, va_list args); // args is consumed
    void Empty();

    // Direct access: GetBuffer returns room for at least nMinLength characters plus the
    // terminating zero; ReleaseBuffer sets the length (-1: up to the first zero).
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    void Assign(const char* pch, int nLength);
    void Append(const char* pch, int nLength);
    void Reserve(int nCapacity);

    char* m_pchData;  // never null; points at a shared empty text while nothing is allocated
    int m_nLength;    // characters before the terminating zero
    int m_nCapacity;  // characters the allocation can hold, without the zero (0: none)
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
