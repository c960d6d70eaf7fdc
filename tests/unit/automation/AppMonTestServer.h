// What the automation tests and their test server agree on: the server's file
// name, its command-line switches and the named events that steer it.
#pragma once

namespace AppMonTestServer
{

constexpr const char kExeName[] = "appmon_test_server.exe";
// Registers the class (with this program as its local server) and ends, as the
// monitor's "/Register" run does.
constexpr const char kRegisterSwitch[] = "/Register";

// Manual-reset events, created by whichever side comes first.
constexpr const char kReadyEvent[] = "TessalyTest.AppMonServer.Ready";     // server: object registered
constexpr const char kQuitEvent[] = "TessalyTest.AppMonServer.Quit";       // test: end now
constexpr const char kDeleteEvent[] = "TessalyTest.AppMonServer.Delete";   // test: delete the object
constexpr const char kDeletedEvent[] = "TessalyTest.AppMonServer.Deleted"; // server: object deleted

// A server nobody tells to quit ends by itself after this long.
constexpr unsigned kLifetimeLimitMs = 60000;

} // namespace AppMonTestServer
