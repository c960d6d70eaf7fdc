// The console's cost per appended line, measured in this process on the real
// CChildView (in a plain parent window, so that no pipe listener starts here):
// hidden with the text near empty, at half and at 95% of the size cap, and on
// screen, with the messages the control's repaints need pumped after every line
// as the monitor's message loop would; and hidden, with the lines of 64 senders
// taken together in one insertion; and the clear that the cap sets off. The
// consoles take their lines in turns,
// so that the machine's other load falls on every figure alike.
#pragma once

namespace Bench
{

struct AppendCost
{
    double dMedianUs = 0;
    double dMeanUs = 0;
};

struct ConsoleAppendCosts
{
    AppendCost empty;
    AppendCost halfCap;
    AppendCost cap95;
    AppendCost openEmpty; // on screen
    AppendCost open95;
    AppendCost grouped; // hidden, empty, kGroupLines lines per insertion: per line
    // The line that finds the console past its cap: the clear, the banner and the line.
    double dClearAtCapMs = 0;
    double dFindOverFullMs = 0;
};

// Lines per insertion of the grouped figure: as many as 64 hosts have waiting.
constexpr int kGroupLines = 64;

// nLines lines are timed in each console (they must fit between 95% and the cap).
ConsoleAppendCosts MeasureConsoleAppend(int nLines);

} // namespace Bench
