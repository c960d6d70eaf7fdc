// The QX_LMDEBUGLOGLEVEL grammar, for both sets of logger names, compared with a
// second reading of the value written from its rules: tokens between ',' and ';'
// (empty ones skipped) from the first 4095 characters; "ALL" ends the reading;
// NAME=VALUE with double quotes dropped on both sides; names without regard to
// case; levels and "ALL" act only once a logger exists.
#include "FuzzCheck.h"
#include "LogLevelConfig.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace Marvane::NativeLogging;

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
    {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Unquoted(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

bool NonZero(const std::string& number)
{
    return std::strtoll(number.c_str(), nullptr, 10) != 0;
}

std::vector<LogConfigAction> Expected(const std::string& value, LoggerNames names)
{
    const std::string text = value.substr(0, kLogLevelValueChars);
    std::vector<LogConfigAction> actions;
    bool loggerExists = false;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find_first_of(",;", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string token = text.substr(start, end - start);
        start = end + 1;
        if (token.empty())
            continue;
        if (Upper(token) == "ALL")
        {
            if (loggerExists)
                actions.push_back({LogConfigAction::Type::EnableAll, 0, true});
            break;
        }
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = Upper(Unquoted(token.substr(0, equals)));
        const bool on = NonZero(Unquoted(token.substr(equals + 1)));
        if (name == "ZOVLOGGER" || (names == LoggerNames::Monitor && name == "ZOV_LOGGER"))
        {
            actions.push_back({LogConfigAction::Type::CreateLogger, 0, false});
            loggerExists = true;
            continue;
        }
        const char* const levelNames[] = {"FATAL", "ERROR", "WARNING", "INFO", "DEBUG", "TRACE"};
        for (int i = 0; i < kLevelCount; ++i)
        {
            if (name == levelNames[i] && loggerExists)
                actions.push_back({LogConfigAction::Type::SetLevel, -i, on});
        }
    }
    return actions;
}

bool Same(const LogConfigAction& a, const LogConfigAction& b)
{
    if (a.type != b.type)
        return false;
    return a.type != LogConfigAction::Type::SetLevel || (a.level == b.level && a.on == b.on);
}

void Check(const std::string& value, LoggerNames names)
{
    const std::vector<LogConfigAction> actions = ParseLogLevelConfig(value.c_str(), names);
    const std::vector<LogConfigAction> expected = Expected(value, names);
    FUZZ_CHECK(actions.size() == expected.size());
    for (std::size_t i = 0; i < actions.size(); ++i)
        FUZZ_CHECK(Same(actions[i], expected[i]));

    // What the appliers rely on: a logger comes first, "ALL" comes last, levels
    // are levels.
    for (std::size_t i = 0; i < actions.size(); ++i)
    {
        FUZZ_CHECK(i > 0 || actions[i].type == LogConfigAction::Type::CreateLogger);
        FUZZ_CHECK(actions[i].type != LogConfigAction::Type::EnableAll || i + 1 == actions.size());
        FUZZ_CHECK(actions[i].type != LogConfigAction::Type::SetLevel ||
                   LevelFlagIndex(actions[i].level) >= 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value = Fuzz::TextOf(data, size);
    Check(value, LoggerNames::Client);
    Check(value, LoggerNames::Monitor);
    // The value is read from a buffer of its own length: nothing past its NUL.
    const Fuzz::ExactCopy exact(value.c_str(), value.size() + 1);
    FUZZ_CHECK(ParseLogLevelConfig(exact.Data(), LoggerNames::Monitor).size() ==
               Expected(value, LoggerNames::Monitor).size());
    return 0;
}
