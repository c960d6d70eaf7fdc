// The fields of an INIT payload, "<id>|<path>|<text>" as the client writes it.
// Every other payload shape gets a fixed reading too, so nothing is rejected.
#pragma once

#include <cstdint>
#include <string>

namespace Protocol
{

struct InitFields
{
    std::int32_t clientId;
    std::string path;
    std::string text;
};

InitFields SplitInitPayload(const char* payload);

} // namespace Protocol
