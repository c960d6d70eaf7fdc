// Costs measured in isolation, in this process, to show where a line's time goes
// and what the disabled paths cost: the hand-off of a line through the monitor's
// line queue (what a pipe thread pays to reach the console's thread, without any
// console work) and, for comparison, one cross-thread SendMessage; the
// client's making of one log request (time stamp and line), and the logger's
// Write and WriteFormat with the level off.
#pragma once

namespace Bench
{

struct IsolatedCosts
{
    double dCrossThreadSendUs = 0;
    double dQueueHandOffUs = 0; // the monitor's hand-off of a line to its draining window thread
    double dLineBuildUs = 0;           // as the client makes it: the stamp once a second
    double dLineBuildFreshStampUs = 0; // with the stamp formatted for every line
    double dDisabledWriteNs = 0;
    double dDisabledWriteFormatNs = 0;
};

IsolatedCosts MeasureIsolatedCosts();

} // namespace Bench
