// The monitor's named mutex: the monitor creates it and holds it open while it
// runs; client libraries open it by this name (never create it) and take it
// around their goodbye, so that the clean-ups of several hosts follow one another.
#pragma once

namespace Protocol
{

constexpr const char kMonitorMutexName[] = "ZOVQUORRA";

} // namespace Protocol
