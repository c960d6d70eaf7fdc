// The local-time stamp that opens every log line, "[12-07-2026 01:23:45]".
#pragma once

#include "PipeProtocol.h"

namespace Protocol
{

// Thread-safe. Leaves an empty string when the local time cannot be converted
// or formatted.
void MakeTimeStamp(char (&out)[kTimeStampBytes]);

} // namespace Protocol
