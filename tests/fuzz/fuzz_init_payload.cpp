// INIT payload splitting, compared with a reading of the fields by count of '|':
//   two or more  id | path | text (text up to a third '|')
//   one          id taken from the first field, empty path, the first field as text
//   none         id 0, empty path, the whole payload as text
// The id reads like atol with the 32-bit limits as bounds. Then the round trip
// the two deliverables rely on: what the client's builders write, the monitor's
// parser and splitter read back unchanged, unless the request had to be cut.
#include "CCommandData.h"
#include "FuzzCheck.h"
#include "InitPayload.h"
#include "RequestBuilder.h"

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

namespace
{

std::int32_t ExpectedId(const std::string& field)
{
    const long long value = std::strtoll(field.c_str(), nullptr, 10);
    if (value < INT32_MIN)
        return INT32_MIN;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> Fields(const std::string& payload)
{
    std::vector<std::string> fields(1);
    for (char c : payload)
    {
        if (c == '|')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

void CheckSplit(const std::string& payload)
{
    const Protocol::InitFields fields = Protocol::SplitInitPayload(payload.c_str());
    const std::vector<std::string> parts = Fields(payload);
    if (parts.size() >= 3)
    {
        FUZZ_CHECK(fields.clientId == ExpectedId(parts[0]));
        FUZZ_CHECK(fields.path == parts[1]);
        FUZZ_CHECK(fields.text == parts[2]);
    }
    else if (parts.size() == 2)
    {
        FUZZ_CHECK(fields.clientId == ExpectedId(parts[0]));
        FUZZ_CHECK(fields.path.empty());
        FUZZ_CHECK(fields.text == parts[0]);
    }
    else
    {
        FUZZ_CHECK(fields.clientId == 0);
        FUZZ_CHECK(fields.path.empty());
        FUZZ_CHECK(fields.text == payload);
    }
}

std::string WithoutSeparators(const std::string& text)
{
    std::string result;
    for (char c : text)
    {
        if (c != '|' && c != ';')
            result += c;
    }
    return result;
}

// The parsed request of a built one: the whole buffer is the limit, as on the pipe.
void CheckRoundTrip(const std::string& text, std::uint32_t mix)
{
    const std::size_t cut = mix % (text.size() + 1);
    const std::string path = WithoutSeparators(text.substr(0, cut));
    const std::string info = WithoutSeparators(text.substr(cut));
    const std::int32_t id = static_cast<std::int32_t>(mix);

    Protocol::RequestBuffer request;
    const std::size_t length = Protocol::BuildInitRequest(request, id, path.c_str(), info.c_str());
    FUZZ_CHECK(length <= Protocol::kMaxRequestChars && request[length] == '\0');
    const CCommandData init(request, length + 1);
    FUZZ_CHECK(init.Kind() == Protocol::kKindInit);
    if (length < Protocol::kMaxRequestChars)
    {
        const Protocol::InitFields fields = Protocol::SplitInitPayload(init.Payload());
        FUZZ_CHECK(fields.clientId == id && fields.path == path && fields.text == info);
    }

    const int logKind = static_cast<int>(mix % 6) - 1; // -1 .. 4: every word and two strays
    const char stamp[] = "[12-07-2026 01:23:45]";
    const std::int32_t logId = (mix & 0x100) ? id : 0;
    const std::size_t logLength =
        Protocol::BuildLogRequest(request, logKind, stamp, path.c_str(), logId, info.c_str());
    FUZZ_CHECK(logLength <= Protocol::kMaxRequestChars && request[logLength] == '\0');
    const CCommandData line(request, logLength + 1);
    const int expectedKinds[] = {Protocol::kKindInfo,  Protocol::kKindInfo,   Protocol::kKindError,
                                 Protocol::kKindSInfo, Protocol::kKindSError, Protocol::kKindInfo};
    FUZZ_CHECK(line.Kind() == expectedKinds[logKind + 1]);
    if (logLength < Protocol::kMaxRequestChars)
    {
        std::string expected = std::string("[") + stamp;
        if (logId != 0)
            expected += ":" + path + ":" + std::to_string(logId);
        expected += "]-> " + info;
        FUZZ_CHECK(expected == line.Payload());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text = Fuzz::TextOf(data, size);
    CheckSplit(text);
    CheckRoundTrip(text, Fuzz::Mix(data, size));
    return 0;
}
