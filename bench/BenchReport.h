// The figures of one bench run and the table they are printed as, with the
// ratios the console's targets are stated in. Figures are printed, never judged
// by a test.
#pragma once

#include "ConsoleAppendCost.h"
#include "HostRun.h"
#include "IsolatedCosts.h"
#include "LineCensus.h"

#include <cstddef>
#include <vector>

namespace Bench
{

struct CountedRun
{
    RunResult run;
    LineCensus census;
};

// The monitor's private bytes at the points of the run where they tell something.
struct MemoryFigures
{
    std::size_t nIdle = 0;
    std::size_t n64Connected = 0;
    std::size_t n64AfterLines = 0;
    std::size_t nAfterLeaving = 0;
};

// Hosts against raw echo clients of the same number, measured back to back in
// each of several repetitions: what the monitor passes on of what the pipe
// carries with that many clients.
struct CeilingFigures
{
    int nClients = 0;
    std::vector<double> echoRates; // aggregate round trips/s, one per repetition
    // The same with the client library's overlapped I/O (1 and 8 clients only).
    std::vector<double> overlappedEchoRates;
    std::vector<double> hostRates; // aggregate lines/s, the same repetitions
    bool bNothingLost = true;      // every host line in the console, in order, in every repetition
};

struct BenchFigures
{
    ConsoleAppendCosts console;
    IsolatedCosts isolated;
    RunResult echo;
    RunResult quiet;
    CountedRun hidden1;
    CountedRun open1;
    CountedRun logged1; // 1 host, console hidden, logging to a file
    CountedRun hosts8;
    CountedRun hosts64;
    // The same runs, console hidden, with the monitor that appends every line by itself.
    CountedRun oneLine1;
    CountedRun oneLine8;
    CountedRun oneLine64;
    MemoryFigures memory;
    CeilingFigures ceiling[3]; // 1, 8 and 64 clients
};

void PrintReport(const BenchFigures& figures);
// Section 7 and its targets alone, for a run with --ceiling.
void PrintCeilingReport(const CeilingFigures (&ceilings)[3]);

} // namespace Bench
