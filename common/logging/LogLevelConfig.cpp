#include "LogLevelConfig.h"

#include "DecimalText.h"

#include <cstring>
#include <string>

namespace Marvane::NativeLogging
{
namespace
{

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(const std::string& text, const char* name)
{
    const std::size_t length = std::strlen(name);
    if (text.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
    {
        if (AsciiUpper(text[i]) != AsciiUpper(name[i]))
            return false;
    }
    return true;
}

std::string WithoutQuotes(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
    {
        if (c != '"')
            result += c;
    }
    return result;
}

bool IsSeparator(char c)
{
    return c == ',' || c == ';';
}

struct LevelName
{
    const char* name;
    LogLevel level;
};

constexpr LevelName kLevelNames[] = {
    {"FATAL", Level::Fatal}, {"ERROR", Level::Error}, {"WARNING", Level::Warning},
    {"INFO", Level::Info},   {"DEBUG", Level::Debug}, {"TRACE", Level::Trace},
};

bool CreatesLogger(const std::string& name, LoggerNames names)
{
    return EqualsIgnoringCase(name, "ZOVLOGGER") ||
           (names == LoggerNames::Monitor && EqualsIgnoringCase(name, "ZOV_LOGGER"));
}

} // namespace

std::vector<LogConfigAction> ParseLogLevelConfig(const char* value, LoggerNames names)
{
    std::vector<LogConfigAction> actions;
    if (value == nullptr)
        return actions;
    const void* nul = std::memchr(value, '\0', kLogLevelValueChars);
    const std::size_t length = nul != nullptr
                                   ? static_cast<std::size_t>(static_cast<const char*>(nul) - value)
                                   : kLogLevelValueChars;
    const std::string text(value, length);

    bool loggerExists = false;
    std::size_t pos = 0;
    while (pos < text.size())
    {
        while (pos < text.size() && IsSeparator(text[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !IsSeparator(text[pos]))
            ++pos;
        if (pos == start)
            break;
        const std::string token = text.substr(start, pos - start);

        if (EqualsIgnoringCase(token, "ALL"))
        {
            if (loggerExists)
                actions.push_back({LogConfigAction::Type::EnableAll, 0, true});
            break; // nothing after ALL is read
        }
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = WithoutQuotes(token.substr(0, equals));
        const std::string number = WithoutQuotes(token.substr(equals + 1));

        if (CreatesLogger(name, names))
        {
            actions.push_back({LogConfigAction::Type::CreateLogger, 0, false});
            loggerExists = true;
            continue;
        }
        for (const LevelName& entry : kLevelNames)
        {
            if (EqualsIgnoringCase(name, entry.name))
            {
                if (loggerExists)
                    actions.push_back({LogConfigAction::Type::SetLevel, entry.level,
                                       Protocol::ReadDecimalInt32(number.c_str()) != 0});
                break;
            }
        }
    }
    return actions;
}

} // namespace Marvane::NativeLogging
