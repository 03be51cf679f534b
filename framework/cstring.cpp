// CString: the framework's 8-bit text value (see cstring.h).
#include "framework/cstring.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "framework/text_format.h"

namespace {
char g_chNil = '\0'; // the text of every CString that owns no allocation
const int kMaxFormattedLength = 1 << 24; // Format gives up beyond this many characters

int Clamp(int nValue, int nLow, int nHigh) { return nValue < nLow ? nLow : (nValue > nHigh ? nHigh : nValue); }
int LengthOf(const char* psz) { return psz ? static_cast<int>(std::strlen(psz)) : 0; }
} // namespace

CString::CString() : m_pchData(&g_chNil), m_nLength(0), m_nCapacity(0) {}

CString::CString(const char* psz) : CString() { Assign(psz, LengthOf(psz)); }

CString::CString(const char* pch, int nLength) : CString() { Assign(pch, nLength < 0 ? 0 : nLength); }

CString::CString(const CString& other) : CString() { Assign(other.m_pchData, other.m_nLength); }

CString::CString(CString&& other) noexcept
    : m_pchData(other.m_pchData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity) {
    other.m_pchData = &g_chNil;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CString::~CString() {
    if (m_nCapacity)
        std::free(m_pchData);
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other.m_pchData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    std::swap(m_pchData, other.m_pchData);
    std::swap(m_nLength, other.m_nLength);
    std::swap(m_nCapacity, other.m_nCapacity);
    return *this;
}

CString& CString::operator=(const char* psz) {
    Assign(psz, LengthOf(psz));
    return *this;
}

CString& CString::operator+=(const CString& other) {
    Append(other.m_pchData, other.m_nLength);
    return *this;
}

CString& CString::operator+=(const char* psz) {
    Append(psz, LengthOf(psz));
    return *this;
}

CString& CString::operator+=(char ch) {
    Append(&ch, 1);
    return *this;
}

CString CString::Left(int nCount) const { return CString(m_pchData, Clamp(nCount, 0, m_nLength)); }

CString CString::Mid(int nFirst) const { return Mid(nFirst, m_nLength); }

CString CString::Mid(int nFirst, int nCount) const {
    nFirst = Clamp(nFirst, 0, m_nLength);
    return CString(m_pchData + nFirst, Clamp(nCount, 0, m_nLength - nFirst));
}

CString CString::Right(int nCount) const {
    nCount = Clamp(nCount, 0, m_nLength);
    return CString(m_pchData + m_nLength - nCount, nCount);
}

void CString::MakeUpper() {
    for (int i = 0; i < m_nLength; ++i)
        if (m_pchData[i] >= 'a' && m_pchData[i] <= 'z')
            m_pchData[i] = static_cast<char>(m_pchData[i] - 'a' + 'A');
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args) {
    // Most texts fit the stack buffer; longer ones are formatted again into ever
    // larger allocations. The text is built apart from ours, since an argument may
    // point into it.
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int nLength = FormatTextV(small, sizeof small, pszFormat, copy);
    va_end(copy);
    if (nLength >= 0) {
        Assign(small, nLength);
        return;
    }
    for (int nCapacity = 2 * static_cast<int>(sizeof small); nCapacity <= kMaxFormattedLength; nCapacity *= 2) {
        CString result;
        char* pBuffer = result.GetBuffer(nCapacity);
        va_copy(copy, args);
        nLength = FormatTextV(pBuffer, static_cast<size_t>(nCapacity) + 1, pszFormat, copy);
        va_end(copy);
        if (nLength >= 0) {
            result.ReleaseBuffer(nLength);
            *this = static_cast<CString&&>(result);
            return;
        }
    }
    Empty(); // a format that fails, or a text beyond any sensible length
}

void CString::Empty() {
    if (m_nCapacity)
        std::free(m_pchData);
    m_pchData = &g_chNil;
    m_nLength = 0;
    m_nCapacity = 0;
}

char* CString::GetBuffer(int nMinLength) {
    Reserve(nMinLength > m_nLength ? nMinLength : m_nLength);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (!m_nCapacity)
        return; // nothing was handed out but the shared empty text
    m_nLength = nNewLength < 0 ? LengthOf(m_pchData) : Clamp(nNewLength, 0, m_nCapacity);
    m_pchData[m_nLength] = '\0';
}

void CString::Assign(const char* pch, int nLength) {
    if (nLength <= 0) {
        if (m_nCapacity)
            m_pchData[0] = '\0';
        m_nLength = 0;
        return;
    }
    if (nLength > m_nCapacity) {
        // Copy first: pch may point into our own text.
        char* pNew = static_cast<char*>(std::malloc(static_cast<size_t>(nLength) + 1));
        if (!pNew)
            std::abort();
        std::memcpy(pNew, pch, static_cast<size_t>(nLength));
        if (m_nCapacity)
            std::free(m_pchData);
        m_pchData = pNew;
        m_nCapacity = nLength;
    } else {
        std::memmove(m_pchData, pch, static_cast<size_t>(nLength));
    }
    m_nLength = nLength;
    m_pchData[m_nLength] = '\0';
}

void CString::Append(const char* pch, int nLength) {
    if (nLength <= 0)
        return;
    if (m_nLength + nLength > m_nCapacity) {
        int nCapacity = m_nCapacity * 2 > m_nLength + nLength ? m_nCapacity * 2 : m_nLength + nLength;
        char* pNew = static_cast<char*>(std::malloc(static_cast<size_t>(nCapacity) + 1));
        if (!pNew)
            std::abort();
        std::memcpy(pNew, m_pchData, static_cast<size_t>(m_nLength));
        std::memcpy(pNew + m_nLength, pch, static_cast<size_t>(nLength)); // pch may be our old text
        if (m_nCapacity)
            std::free(m_pchData);
        m_pchData = pNew;
        m_nCapacity = nCapacity;
    } else {
        std::memmove(m_pchData + m_nLength, pch, static_cast<size_t>(nLength));
    }
    m_nLength += nLength;
    m_pchData[m_nLength] = '\0';
}

void CString::Reserve(int nCapacity) {
    if (nCapacity <= m_nCapacity)
        return;
    char* pNew = static_cast<char*>(std::malloc(static_cast<size_t>(nCapacity) + 1));
    if (!pNew)
        std::abort();
    std::memcpy(pNew, m_pchData, static_cast<size_t>(m_nLength) + 1);
    if (m_nCapacity)
        std::free(m_pchData);
    m_pchData = pNew;
    m_nCapacity = nCapacity;
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, const char* b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const char* a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, char b) {
    CString result(a);
    result += b;
    return result;
}

bool operator==(const CString& a, const CString& b) {
    return a.GetLength() == b.GetLength() &&
           std::memcmp(static_cast<const char*>(a), static_cast<const char*>(b), static_cast<size_t>(a.GetLength())) == 0;
}

bool operator==(const CString& a, const char* b) { return std::strcmp(a, b ? b : "") == 0; }
bool operator==(const char* a, const CString& b) { return b == a; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
