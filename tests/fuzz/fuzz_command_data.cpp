// Request parsing: CCommandData over arbitrary bytes and read limits, compared
// with a plain reading of the request syntax (tokens between ';', empty ones
// skipped; the first is the keyword, the second the payload of the kinds that
// carry one). The caller's bytes must stay unchanged and must never be read past
// the limit it gives.
#include "CCommandData.h"
#include "FuzzCheck.h"

#include <string>
#include <vector>

namespace
{

struct Reading
{
    int kind;
    std::string payload;
};

std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text)
    {
        if (c != ';')
        {
            current += c;
            continue;
        }
        if (!current.empty())
            tokens.push_back(current);
        current.clear();
    }
    if (!current.empty())
        tokens.push_back(current);
    return tokens;
}

Reading Expected(const char* request, std::size_t maxBytes)
{
    if (request == nullptr)
        return Reading{Protocol::kKindUnrecognised, ""};
    const std::size_t limit = maxBytes < Protocol::kMaxRequestBytes ? maxBytes : Protocol::kMaxRequestBytes;
    const std::vector<std::string> tokens = Tokens(std::string(request, strnlen(request, limit)));
    if (tokens.empty())
        return Reading{Protocol::kKindUnrecognised, ""};

    struct Keyword
    {
        const char* word;
        int kind;
        bool hasPayload;
    };
    const Keyword keywords[] = {
        {"INIT", Protocol::kKindInit, true},     {"ERROR", Protocol::kKindError, true},
        {"SERROR", Protocol::kKindSError, true}, {"INFO", Protocol::kKindInfo, true},
        {"SINFO", Protocol::kKindSInfo, true},   {"TERMINATE", Protocol::kKindTerminate, false},
        {"CLEAN", Protocol::kKindClean, false},
    };
    int kind = Protocol::kKindUnrecognised;
    bool hasPayload = false;
    for (const Keyword& keyword : keywords)
    {
        if (tokens[0] == keyword.word)
        {
            kind = keyword.kind;
            hasPayload = keyword.hasPayload;
        }
    }
    return Reading{kind, hasPayload && tokens.size() > 1 ? tokens[1] : std::string()};
}

void Check(const char* request, std::size_t maxBytes)
{
    const std::string before = request != nullptr ? std::string(request, maxBytes) : std::string();
    const CCommandData command(request, maxBytes);
    const Reading expected = Expected(request, maxBytes);

    FUZZ_CHECK(command.Kind() == expected.kind);
    FUZZ_CHECK(command.Payload() != nullptr);
    FUZZ_CHECK(command.PayloadLength() == std::strlen(command.Payload()));
    FUZZ_CHECK(command.PayloadLength() <= Protocol::kMaxRequestChars);
    FUZZ_CHECK(expected.payload == command.Payload());
    FUZZ_CHECK(request == nullptr || before == std::string(request, maxBytes));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The buffer is exactly the input: a read beyond maxBytes is reported.
    const Fuzz::ExactCopy request(data, size);
    Check(request.Data(), size);
    Check(request.Data(), Fuzz::Mix(data, size) % (size + 1));
    Check(request.Data(), 0);
    Check(nullptr, size);
    return 0;
}
