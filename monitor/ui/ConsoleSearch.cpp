#include "ConsoleSearch.h"

#include <cstring>

namespace Console
{
namespace
{

bool MatchesAt(const char* pText, const char* pszNeedle, std::size_t cchNeedle, bool bMatchCase,
               const CSearchTables& tables)
{
    if (bMatchCase)
        return std::memcmp(pText, pszNeedle, cchNeedle) == 0;
    for (std::size_t i = 0; i < cchNeedle; ++i)
    {
        if (tables.fold[static_cast<unsigned char>(pText[i])] !=
            tables.fold[static_cast<unsigned char>(pszNeedle[i])])
            return false;
    }
    return true;
}

bool IsWholeWord(const char* pText, std::size_t cchText, std::size_t nAt, std::size_t cchNeedle,
                 const CSearchTables& tables)
{
    const bool bWordBefore = nAt > 0 && tables.word[static_cast<unsigned char>(pText[nAt - 1])];
    const bool bWordAfter =
        nAt + cchNeedle < cchText && tables.word[static_cast<unsigned char>(pText[nAt + cchNeedle])];
    return !bWordBefore && !bWordAfter;
}

} // namespace

long FindInText(const char* pText, std::size_t cchText, const char* pszNeedle, std::size_t nFrom, bool bDown,
                bool bMatchCase, bool bWholeWord, const CSearchTables& tables)
{
    const std::size_t cchNeedle = pszNeedle ? std::strlen(pszNeedle) : 0;
    if (!pText || cchNeedle == 0 || cchNeedle > cchText || nFrom > cchText)
        return -1;
    const auto matches = [&](std::size_t nAt) {
        return MatchesAt(pText + nAt, pszNeedle, cchNeedle, bMatchCase, tables) &&
               (!bWholeWord || IsWholeWord(pText, cchText, nAt, cchNeedle, tables));
    };
    if (bDown)
    {
        for (std::size_t nAt = nFrom; nAt + cchNeedle <= cchText; ++nAt)
        {
            if (matches(nAt))
                return static_cast<long>(nAt);
        }
        return -1;
    }
    if (nFrom < cchNeedle)
        return -1;
    for (std::size_t nAt = nFrom - cchNeedle + 1; nAt-- > 0;)
    {
        if (matches(nAt))
            return static_cast<long>(nAt);
    }
    return -1;
}

std::size_t OffsetOfPosition(const char* pText, std::size_t cchText, long nPosition)
{
    std::size_t nOffset = 0;
    for (long n = 0; n < nPosition && nOffset < cchText; ++n)
        nOffset += (pText[nOffset] == '\r' && nOffset + 1 < cchText && pText[nOffset + 1] == '\n') ? 2 : 1;
    return nOffset;
}

long PositionOfOffset(const char* pText, std::size_t nOffset)
{
    long nPosition = 0;
    for (std::size_t n = 0; n < nOffset; ++n)
    {
        if (!(pText[n] == '\n' && n > 0 && pText[n - 1] == '\r'))
            ++nPosition;
    }
    return nPosition;
}

} // namespace Console
