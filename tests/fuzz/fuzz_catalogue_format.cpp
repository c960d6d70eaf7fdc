// Formatting of catalogue texts with their one argument, integer and string forms.
// Every result must fit the 4096-byte buffer with its NUL, and the buffer and
// string forms must agree. A second, independent reading of the accepted formats
// decides what the result must be: a rejected text comes back verbatim (cut at
// 4095 characters); an accepted one must read exactly as the C library's snprintf
// renders it where both agree on the meaning (no widths or precisions near the
// C library's own limits; a null string only without a precision, which the C
// libraries render differently).
#include "CatalogueFormat.h"
#include "FuzzCheck.h"

#include <climits>
#include <string>

namespace
{

constexpr std::size_t kCrossCheckLimit = 100000;

enum class Argument
{
    kInteger,
    kString,
};

struct Reading
{
    bool bValid = true;
    int nConversions = 0;
    std::string strPrintfFormat; // the text with the length modifier dropped
    bool bHasPrecision = false;
    std::size_t nPrecision = 0;
    bool bHugeNumber = false;
};

bool IsFlag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '0' || c == '#';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the digits at i; notes numbers beyond the cross-check limit.
std::size_t Number(const std::string& text, std::size_t& i, bool& bHuge)
{
    std::size_t nValue = 0;
    for (; IsDigit(text[i]); ++i)
    {
        nValue = nValue * 10 + static_cast<std::size_t>(text[i] - '0');
        if (nValue > kCrossCheckLimit)
        {
            bHuge = true;
            nValue = kCrossCheckLimit;
        }
    }
    return nValue;
}

Reading Read(const std::string& text, Argument argument)
{
    Reading reading;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        reading.strPrintfFormat += text[i];
        if (text[i] != '%')
            continue;
        if (text[i + 1] == '%')
        {
            reading.strPrintfFormat += text[++i];
            continue;
        }
        std::size_t j = i + 1;
        bool bOnlyMinus = true;
        for (; IsFlag(text[j]); ++j)
            bOnlyMinus = bOnlyMinus && text[j] == '-';
        Number(text, j, reading.bHugeNumber);
        if (text[j] == '.')
        {
            ++j;
            reading.bHasPrecision = true;
            reading.nPrecision = Number(text, j, reading.bHugeNumber);
        }
        const std::size_t nBeforeModifier = j;
        bool bFits = false;
        if (argument == Argument::kInteger)
        {
            if (text[j] == 'l')
                ++j;
            bFits = text[j] != '\0' && std::string("diuoxX").find(text[j]) != std::string::npos;
        }
        else
            bFits = bOnlyMinus && text[j] == 's';
        if (!bFits || ++reading.nConversions > 1)
        {
            reading.bValid = false;
            return reading;
        }
        reading.strPrintfFormat += text.substr(i + 1, nBeforeModifier - (i + 1));
        reading.strPrintfFormat += text[j];
        i = j;
    }
    return reading;
}

using Buffer = char[Catalogue::kTextBufferBytes];

// A heap buffer of exactly the output's size, so a write past it is reported.
class OutputBuffer
{
public:
    OutputBuffer() : m_pBuffer(static_cast<Buffer*>(std::malloc(sizeof(Buffer)))) {}
    ~OutputBuffer() { std::free(m_pBuffer); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    Buffer& Get() { return *m_pBuffer; }

private:
    Buffer* m_pBuffer;
};

std::string Verbatim(const std::string& text)
{
    return text.substr(0, Catalogue::kMaxTextChars);
}

#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-nonliteral"
#pragma clang diagnostic ignored "-Wformat-security"
template <typename Value> std::string Printf(const std::string& format, Value value)
{
    char szOut[Catalogue::kTextBufferBytes];
    if (std::snprintf(szOut, sizeof(szOut), format.c_str(), value) < 0)
        return "<snprintf failed>";
    return szOut;
}
#pragma clang diagnostic pop

void CheckBounded(std::size_t nLength, const Buffer& out)
{
    FUZZ_CHECK(nLength <= Catalogue::kMaxTextChars);
    FUZZ_CHECK(out[nLength] == '\0');
    FUZZ_CHECK(std::strlen(out) == nLength);
}

void CheckInteger(const std::string& text, int nValue)
{
    OutputBuffer out;
    const std::size_t nLength = Catalogue::FormatWithInteger(text.c_str(), nValue, out.Get());
    CheckBounded(nLength, out.Get());
    const std::string result(out.Get(), nLength);
    FUZZ_CHECK(result == Catalogue::FormatWithInteger(text.c_str(), nValue));

    const Reading reading = Read(text, Argument::kInteger);
    if (!reading.bValid)
        FUZZ_CHECK(result == Verbatim(text));
    else if (!reading.bHugeNumber)
        FUZZ_CHECK(result == Printf(reading.strPrintfFormat, nValue));
}

void CheckString(const std::string& text, const char* pszValue)
{
    OutputBuffer out;
    const std::size_t nLength = Catalogue::FormatWithString(text.c_str(), pszValue, out.Get());
    CheckBounded(nLength, out.Get());
    const std::string result(out.Get(), nLength);
    FUZZ_CHECK(result == Catalogue::FormatWithString(text.c_str(), pszValue));

    const Reading reading = Read(text, Argument::kString);
    if (!reading.bValid)
    {
        FUZZ_CHECK(result == Verbatim(text));
        return;
    }
    if (!reading.bHugeNumber && (pszValue != nullptr || !reading.bHasPrecision))
        FUZZ_CHECK(result == Printf(reading.strPrintfFormat, pszValue));

    // A precision bounds the read: an argument cut to it, without a NUL, gives
    // the same result.
    if (reading.nConversions == 1 && reading.bHasPrecision && pszValue != nullptr &&
        reading.nPrecision <= std::strlen(pszValue))
    {
        const Fuzz::ExactCopy cut(pszValue, reading.nPrecision);
        FUZZ_CHECK(result == Catalogue::FormatWithString(text.c_str(), cut.Data()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The text up to the first NUL; after it, if present, the string argument.
    const std::string text = Fuzz::TextOf(data, size);
    const std::uint32_t mix = Fuzz::Mix(data, size);

    for (int nValue : {0, 1, -1, 42, INT_MIN, INT_MAX, static_cast<int>(mix)})
        CheckInteger(text, nValue);

    if (text.size() < size)
    {
        const std::string argument = Fuzz::TextOf(data + text.size() + 1, size - text.size() - 1);
        CheckString(text, argument.c_str());
    }
    const std::string longName(5000, 'n');
    for (const char* pszValue : {"tool", "", static_cast<const char*>(nullptr), longName.c_str()})
        CheckString(text, pszValue);
    return 0;
}
