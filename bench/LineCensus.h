// Checks a console's text for the lines the hosts of a run sent: every line of
// every host present exactly once, each host's lines in the order sent.
#pragma once

#include <string>

namespace Bench
{

struct LineCensus
{
    long nExpected = 0;
    long nFound = 0;      // distinct expected lines present
    long nDuplicates = 0; // expected lines present more than once
    long nOutOfOrder = 0; // lines of a host found before one it sent earlier

    bool IsComplete() const { return nFound == nExpected && nDuplicates == 0 && nOutOfOrder == 0; }
    void Add(const LineCensus& other)
    {
        nExpected += other.nExpected;
        nFound += other.nFound;
        nDuplicates += other.nDuplicates;
        nOutOfOrder += other.nOutOfOrder;
    }
};

// strText: the console's text; nHosts hosts (slots 0..nHosts-1) sent nLines each.
LineCensus TakeLineCensus(const std::string& strText, int nHosts, int nLines);

} // namespace Bench
