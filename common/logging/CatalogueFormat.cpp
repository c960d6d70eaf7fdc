#include "CatalogueFormat.h"

#include <climits>
#include <cstring>

namespace Catalogue
{

namespace
{

enum class Argument
{
    kInteger,
    kString,
};

struct Conversion
{
    bool bLeft = false;
    bool bPlus = false;
    bool bSpace = false;
    bool bZero = false;
    bool bAlternate = false;
    std::size_t nWidth = 0;
    bool bHasPrecision = false;
    std::size_t nPrecision = 0;
    char chType = '\0';
};

// The one conversion of a valid text: where it stands and what it asks for.
struct Placeholder
{
    const char* pBegin = nullptr; // the '%'; null when the text has none
    const char* pEnd = nullptr;   // one past the conversion character
    Conversion conversion;
};

// Bounded writer: keeps at most kMaxTextChars characters, drops the rest.
class Output
{
public:
    explicit Output(char* pszBuffer) : m_pszBuffer(pszBuffer) {}

    void Put(char ch)
    {
        if (m_nLength < kMaxTextChars)
            m_pszBuffer[m_nLength++] = ch;
    }
    void Put(const char* p, std::size_t nCount)
    {
        for (std::size_t i = 0; i < nCount && m_nLength < kMaxTextChars; ++i)
            m_pszBuffer[m_nLength++] = p[i];
    }
    void Fill(char ch, std::size_t nCount)
    {
        for (std::size_t i = 0; i < nCount && m_nLength < kMaxTextChars; ++i)
            m_pszBuffer[m_nLength++] = ch;
    }
    std::size_t Finish()
    {
        m_pszBuffer[m_nLength] = '\0';
        return m_nLength;
    }

private:
    char* m_pszBuffer;
    std::size_t m_nLength = 0;
};

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Largest width or precision taken as written: printf's own limit. A field this
// wide still costs nothing, since the output stops at kMaxTextChars; only a
// smaller bound would change where padding gives way to digits within the output.
constexpr std::size_t kMaxFieldNumber = INT_MAX;

// Reads a decimal number, saturating at kMaxFieldNumber.
std::size_t ReadNumber(const char*& p)
{
    std::size_t nValue = 0;
    for (; IsDigit(*p); ++p)
    {
        const std::size_t nDigit = static_cast<std::size_t>(*p - '0');
        // Tested before multiplying: size_t has 32 bits in the deliverables.
        nValue = nValue > (kMaxFieldNumber - nDigit) / 10 ? kMaxFieldNumber : nValue * 10 + nDigit;
    }
    return nValue;
}

// Parses the conversion after a '%' at p; on success pEnd is one past it.
bool ParseConversion(const char* p, Argument argument, Conversion& conversion, const char*& pEnd)
{
    for (;; ++p)
    {
        if (*p == '-')
            conversion.bLeft = true;
        else if (*p == '+')
            conversion.bPlus = true;
        else if (*p == ' ')
            conversion.bSpace = true;
        else if (*p == '0')
            conversion.bZero = true;
        else if (*p == '#')
            conversion.bAlternate = true;
        else
            break;
    }
    conversion.nWidth = ReadNumber(p);
    if (*p == '.')
    {
        ++p;
        conversion.bHasPrecision = true;
        conversion.nPrecision = ReadNumber(p);
    }

    if (argument == Argument::kInteger)
    {
        if (*p == 'l')
            ++p;
        if (*p == '\0' || !std::strchr("diuoxX", *p))
            return false;
    }
    else
    {
        if (*p != 's' || conversion.bPlus || conversion.bSpace || conversion.bZero || conversion.bAlternate)
            return false;
    }
    conversion.chType = *p;
    pEnd = p + 1;
    return true;
}

// True when the text is a valid format for the argument; placeholder.pBegin is
// then its one conversion, or null when it has none.
bool FindPlaceholder(const char* pszText, Argument argument, Placeholder& placeholder)
{
    for (const char* p = pszText; *p; ++p)
    {
        if (*p != '%')
            continue;
        if (p[1] == '%')
        {
            ++p;
            continue;
        }
        if (placeholder.pBegin)
            return false;
        const char* pEnd = nullptr;
        if (!ParseConversion(p + 1, argument, placeholder.conversion, pEnd))
            return false;
        placeholder.pBegin = p;
        placeholder.pEnd = pEnd;
        p = pEnd - 1;
    }
    return true;
}

// Literal text with "%%" turned into '%'.
void PutLiteral(Output& out, const char* pBegin, const char* pEnd)
{
    for (const char* p = pBegin; p < pEnd; ++p)
    {
        out.Put(*p);
        if (p[0] == '%' && p + 1 < pEnd && p[1] == '%')
            ++p;
    }
}

void PutInteger(Output& out, const Conversion& c, int nValue)
{
    const bool bSigned = c.chType == 'd' || c.chType == 'i';
    unsigned int uMagnitude = static_cast<unsigned int>(nValue);
    char chSign = '\0';
    if (bSigned)
    {
        if (nValue < 0)
        {
            chSign = '-';
            uMagnitude = 0u - uMagnitude;
        }
        else if (c.bPlus)
            chSign = '+';
        else if (c.bSpace)
            chSign = ' ';
    }

    const unsigned int uBase = c.chType == 'o' ? 8u : (c.chType == 'x' || c.chType == 'X') ? 16u : 10u;
    const char* pszDigitSet = c.chType == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char szReversed[16];
    std::size_t nDigits = 0;
    // A precision of 0 prints no digits for the value 0.
    if (uMagnitude != 0 || !c.bHasPrecision || c.nPrecision != 0)
    {
        do
        {
            szReversed[nDigits++] = pszDigitSet[uMagnitude % uBase];
            uMagnitude /= uBase;
        } while (uMagnitude != 0);
    }

    std::size_t nMinDigits = c.bHasPrecision ? c.nPrecision : 0;
    if (c.chType == 'o' && c.bAlternate && (nDigits == 0 || szReversed[nDigits - 1] != '0'))
        nMinDigits = nMinDigits > nDigits + 1 ? nMinDigits : nDigits + 1;
    const char* pszPrefix = "";
    if (c.bAlternate && static_cast<unsigned int>(nValue) != 0 && (c.chType == 'x' || c.chType == 'X'))
        pszPrefix = c.chType == 'x' ? "0x" : "0X";

    std::size_t nZeros = nMinDigits > nDigits ? nMinDigits - nDigits : 0;
    const std::size_t nBody = (chSign ? 1 : 0) + std::strlen(pszPrefix) + nZeros + nDigits;
    std::size_t nPad = c.nWidth > nBody ? c.nWidth - nBody : 0;
    const bool bZeroPad = c.bZero && !c.bLeft && !c.bHasPrecision;
    if (bZeroPad)
    {
        nZeros += nPad;
        nPad = 0;
    }

    if (!c.bLeft)
        out.Fill(' ', nPad);
    if (chSign)
        out.Put(chSign);
    out.Put(pszPrefix, std::strlen(pszPrefix));
    out.Fill('0', nZeros);
    while (nDigits > 0)
        out.Put(szReversed[--nDigits]);
    if (c.bLeft)
        out.Fill(' ', nPad);
}

void PutString(Output& out, const Conversion& c, const char* pszValue)
{
    const char* psz = pszValue ? pszValue : "(null)";
    // With a precision, read no further than it allows.
    std::size_t nLength = 0;
    while ((!c.bHasPrecision || nLength < c.nPrecision) && psz[nLength] != '\0')
        ++nLength;
    const std::size_t nPad = c.nWidth > nLength ? c.nWidth - nLength : 0;
    if (!c.bLeft)
        out.Fill(' ', nPad);
    out.Put(psz, nLength);
    if (c.bLeft)
        out.Fill(' ', nPad);
}

template <typename PutArgument>
std::size_t Format(const char* pszText, Argument argument, char* pszOut, PutArgument putArgument)
{
    Output out(pszOut);
    const char* psz = pszText ? pszText : "";
    const char* pszEnd = psz + std::strlen(psz);
    Placeholder placeholder;
    if (!FindPlaceholder(psz, argument, placeholder))
    {
        out.Put(psz, static_cast<std::size_t>(pszEnd - psz));
        return out.Finish();
    }
    if (!placeholder.pBegin)
    {
        PutLiteral(out, psz, pszEnd);
        return out.Finish();
    }
    PutLiteral(out, psz, placeholder.pBegin);
    putArgument(out, placeholder.conversion);
    PutLiteral(out, placeholder.pEnd, pszEnd);
    return out.Finish();
}

} // namespace

std::size_t FormatWithInteger(const char* pszText, int nValue, char (&szOut)[kTextBufferBytes])
{
    return Format(pszText, Argument::kInteger, szOut,
                  [nValue](Output& out, const Conversion& c) { PutInteger(out, c, nValue); });
}

std::size_t FormatWithString(const char* pszText, const char* pszValue, char (&szOut)[kTextBufferBytes])
{
    return Format(pszText, Argument::kString, szOut,
                  [pszValue](Output& out, const Conversion& c) { PutString(out, c, pszValue); });
}

std::string FormatWithInteger(const char* pszText, int nValue)
{
    char szOut[kTextBufferBytes];
    const std::size_t nLength = FormatWithInteger(pszText, nValue, szOut);
    return std::string(szOut, nLength);
}

std::string FormatWithString(const char* pszText, const char* pszValue)
{
    char szOut[kTextBufferBytes];
    const std::size_t nLength = FormatWithString(pszText, pszValue, szOut);
    return std::string(szOut, nLength);
}

} // namespace Catalogue
