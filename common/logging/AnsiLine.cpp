#include "AnsiLine.h"

#include <windows.h>

#include <cstring>

namespace Marvane::NativeLogging
{
namespace
{

constexpr int kMaxLineBytes = static_cast<int>(kLineBufferBytes - 1);
// No character becomes less than one byte except where two compose into one,
// so a text this long can never fit: the rest need not even be measured.
constexpr int kMaxTextChars = 4 * static_cast<int>(kLineBufferBytes);

int BoundedLength(const wchar_t* text)
{
    int length = 0;
    while (length < kMaxTextChars && text[length] != L'\0')
        ++length;
    return length;
}

int Convert(unsigned codePage, DWORD flags, const wchar_t* text, int count, char* out, int outBytes)
{
    return WideCharToMultiByte(codePage, flags, text, count, out, outBytes, nullptr, nullptr);
}

// The longest prefix of text whose conversion fits in kMaxLineBytes, not
// ending between the two halves of a surrogate pair.
int FittingPrefix(unsigned codePage, DWORD flags, const wchar_t* text, int count)
{
    int fits = 0;
    int tooLong = count;
    while (tooLong - fits > 1)
    {
        const int middle = fits + (tooLong - fits) / 2;
        const int needed = Convert(codePage, flags, text, middle, nullptr, 0);
        if (needed > 0 && needed <= kMaxLineBytes)
            fits = middle;
        else
            tooLong = middle;
    }
    if (fits > 0 && IS_HIGH_SURROGATE(text[fits - 1]))
        --fits;
    return fits;
}

} // namespace

void ConvertToAnsiLine(LineBuffer& out, const wchar_t* text, unsigned codePage)
{
    std::memset(out, 0, sizeof(out));
    if (text == nullptr)
        return;
    const int count = BoundedLength(text);
    if (count == 0)
        return;

    DWORD flags = WC_COMPOSITECHECK | WC_DEFAULTCHAR;
    int written = Convert(codePage, flags, text, count, out, kMaxLineBytes);
    if (written == 0 && GetLastError() == ERROR_INVALID_FLAGS)
    {
        // Code pages such as UTF-8 accept no conversion flags.
        flags = 0;
        written = Convert(codePage, flags, text, count, out, kMaxLineBytes);
    }
    if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
    {
        std::memset(out, 0, sizeof(out));
        const int prefix = FittingPrefix(codePage, flags, text, count);
        written = prefix > 0 ? Convert(codePage, flags, text, prefix, out, kMaxLineBytes) : 0;
    }
    if (written <= 0)
        std::memset(out, 0, sizeof(out));
    out[kMaxLineBytes] = '\0';
}

} // namespace Marvane::NativeLogging
