// The raw echo server: a message-mode pipe server that answers every request
// with the monitor's reply at once, one thread per connection as the monitor
// has. Nothing a synchronous exchange can do is faster; its rate is the ceiling
// for the whole system's. Runs in the bench process until the process ends.
#pragma once

namespace Bench
{

// Starts the listener (once). false when it could not be started.
bool StartEchoServer();

} // namespace Bench
