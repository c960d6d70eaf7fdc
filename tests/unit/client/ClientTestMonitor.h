// What the client tests and client_test_monitor.exe agree on: the program's name
// and the named events through which it reports and is ended.
#pragma once

namespace ClientTestMonitor
{

constexpr const char kExeName[] = "client_test_monitor.exe";
// Manual-reset events, created by whichever side comes first.
constexpr const char kStartedEvent[] = "VarnelTest.ComMonitor.Started"; // class object registered
constexpr const char kQuitEvent[] = "VarnelTest.ComMonitor.Quit";       // end now
// Started with this switch (before COM's own), the program is a monitor that meets
// another one already running: it reports its start through kStartedEvent and ends
// when told, without ever offering a class object.
constexpr const char kDuplicateSwitch[] = "/duplicate";
// A program nobody tells to quit ends by itself after this long.
constexpr unsigned kLifetimeLimitMs = 60000;

} // namespace ClientTestMonitor
