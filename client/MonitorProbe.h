// Looking for the monitor through COM: its running object first, then its class
// object from a local server, which makes COM start a registered monitor that is
// not running. COM sets no limit on a call to a monitor whose process has stopped
// (a debugger, a hung user-interface thread): the lookup then lasts until the
// monitor runs again. So it runs on a thread of its own, and the caller waits for
// it at most TimeLimits::kComLookupMs, or kComStartMs while COM starts a monitor.
// A lookup given up on ends on its thread whenever COM returns, keeping the
// library loaded until then.
#pragma once

namespace PipeClient
{

enum class MonitorProbe
{
    kNone,         // neither running nor startable: no connection is attempted
    kRunning,      // found in the running-object table, or found and not answering
    kStartedByCom, // reached only through a class-object request (COM started it)
};

} // namespace PipeClient

// Makes the calling thread ready for COM (never undone), then looks for the
// monitor. When the class-object request fails, the running object is looked for
// once more: a monitor started at the same moment for another host makes the one
// started for this request end at once.
PipeClient::MonitorProbe ProbeMonitor();
