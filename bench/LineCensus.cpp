#include "LineCensus.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace Bench
{
namespace
{

// "]-> hSSS nLLLLL ": what a host's line text starts with (see FormatLineText).
constexpr char kMarker[] = "]-> h";

bool ParseMarker(const char* p, int& nSlot, int& nLine)
{
    char* pEnd = nullptr;
    nSlot = static_cast<int>(std::strtol(p, &pEnd, 10));
    if (pEnd != p + 3 || std::strncmp(pEnd, " n", 2) != 0)
        return false;
    const char* pLine = pEnd + 2;
    nLine = static_cast<int>(std::strtol(pLine, &pEnd, 10));
    return pEnd == pLine + 5 && *pEnd == ' ';
}

} // namespace

LineCensus TakeLineCensus(const std::string& strText, int nHosts, int nLines)
{
    LineCensus census;
    census.nExpected = static_cast<long>(nHosts) * nLines;
    std::vector<unsigned char> seen(static_cast<std::size_t>(census.nExpected), 0);
    std::vector<int> lastLine(static_cast<std::size_t>(nHosts), -1);
    for (std::size_t pos = strText.find(kMarker); pos != std::string::npos;
         pos = strText.find(kMarker, pos + 1))
    {
        int nSlot = 0;
        int nLine = 0;
        if (!ParseMarker(strText.c_str() + pos + sizeof(kMarker) - 1, nSlot, nLine) || nSlot < 0 ||
            nSlot >= nHosts || nLine < 0 || nLine >= nLines)
            continue;
        unsigned char& bSeen = seen[static_cast<std::size_t>(nSlot) * nLines + nLine];
        if (bSeen)
            ++census.nDuplicates;
        else
            ++census.nFound;
        bSeen = 1;
        if (nLine < lastLine[nSlot])
            ++census.nOutOfOrder;
        lastLine[nSlot] = nLine;
    }
    return census;
}

} // namespace Bench
