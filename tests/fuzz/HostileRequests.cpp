#include "HostileRequests.h"

#include <cstring>

namespace
{

constexpr std::size_t kLargestMessage = 4096;

std::string WithNul(std::string strText)
{
    strText.push_back('\0');
    return strText;
}

} // namespace

Outcome ExpectedOutcome(const std::string& strBytes)
{
    if (strBytes.empty() || strBytes.size() > kLargestMessage)
        return Outcome::kClose;
    // The text ends at the first NUL; its first token between ';' is the keyword.
    const std::string strText = strBytes.substr(0, std::strlen(strBytes.c_str()));
    const std::size_t nStart = strText.find_first_not_of(';');
    if (nStart == std::string::npos)
        return Outcome::kReply;
    const std::string strKeyword = strText.substr(nStart, strText.find(';', nStart) - nStart);
    return strKeyword == "TERMINATE" || strKeyword == "CLEAN" ? Outcome::kReplyThenClose : Outcome::kReply;
}

std::size_t CHostileRequestSource::RandomLength()
{
    // Mostly short, sometimes up to the full message size.
    switch (Below(4))
    {
    case 0:
        return Below(16);
    case 1:
        return Below(200);
    case 2:
        return Below(1000);
    default:
        return Below(static_cast<std::uint32_t>(kLargestMessage - 16));
    }
}

std::string CHostileRequestSource::RandomBytes(std::size_t nLength)
{
    std::string strBytes(nLength, '\0');
    for (char& c : strBytes)
        c = static_cast<char>(Below(256));
    return strBytes;
}

// Text without NUL, with separators and bytes above 127 now and then.
std::string CHostileRequestSource::RandomText(std::size_t nLength)
{
    static const char kSpecial[] = ";|:[]%\\\"\t\r\n";
    std::string strText(nLength, 'x');
    for (char& c : strText)
    {
        const std::uint32_t u = Below(100);
        if (u < 8)
            c = kSpecial[Below(sizeof(kSpecial) - 1)];
        else if (u < 14)
            c = static_cast<char>(128 + Below(128));
        else
            c = static_cast<char>(' ' + Below(95));
    }
    return strText;
}

HostileRequest CHostileRequestSource::InitRequest()
{
    std::string strPayload;
    switch (Below(9))
    {
    case 0:
        strPayload = std::string(1 + Below(4000), '9') + "|C:\\huge\\id.exe|t"; // id far beyond 32 bits
        break;
    case 1:
        strPayload = "-2147483649|" + RandomText(Below(40)) + "|" + RandomText(Below(40));
        break;
    case 2:
        strPayload = RandomText(Below(60)); // no or stray separators
        break;
    case 3:
        strPayload = std::string(1 + Below(60), '|');
        break;
    case 4:
        strPayload = "7|" + std::string(3000 + Below(1000), 'p') + "|" + RandomText(Below(300));
        break;
    case 5:
        strPayload = "  +" + std::to_string(Below(100000)) + "|a|b|c|d";
        break;
    case 6:
        strPayload = std::to_string(static_cast<std::int32_t>(Below(0xFFFFFFFFu))) + "|" +
                     RandomText(Below(100)) + "|" + RandomText(Below(100));
        break;
    case 7:
        strPayload = "";
        break;
    default:
        strPayload = RandomBytes(Below(100));
        break;
    }
    std::string strRequest = (Chance(20) ? ";;INIT;;" : "INIT;") + strPayload;
    if (strRequest.size() > kLargestMessage - 1)
        strRequest.resize(kLargestMessage - 1);
    return {Chance(90) ? WithNul(strRequest) : strRequest, "INIT"};
}

HostileRequest CHostileRequestSource::SizedRequest()
{
    static const std::size_t kSizes[] = {4095, 4096, 4097, 5000};
    const std::size_t nSize = kSizes[Below(4)];
    std::string strBytes = "SINFO;" + std::string(nSize - 6, 's');
    if (Chance(50))
        strBytes.back() = '\0';
    return {strBytes, "sized"};
}

HostileRequest CHostileRequestSource::SemicolonStorm()
{
    std::string strBytes(1 + Below(4095), ';');
    if (Chance(50))
    {
        static const char* const kWords[] = {"INFO", "SINFO",     "ERROR", "SERROR",
                                             "INIT", "TERMINATE", "CLEAN"};
        const std::string strInsert = kWords[Below(7)] + std::string(";;") + RandomText(Below(20));
        const std::size_t nAt = Below(static_cast<std::uint32_t>(strBytes.size()));
        strBytes.replace(nAt, std::min(strInsert.size(), strBytes.size() - nAt), strInsert);
    }
    return {Chance(50) ? WithNul(strBytes.substr(0, kLargestMessage - 1)) : strBytes, "semicolons"};
}

HostileRequest CHostileRequestSource::NearMiss()
{
    static const char* const kNear[] = {"info;x",     "Init;1|a|b", "TERMINATEX", "CLEAN2;",    " TERMINATE",
                                        "terminate;", "INFO ;x",    "SINFO\t;x",  "INITS;1|a|b"};
    return {WithNul(kNear[Below(9)]), "near miss"};
}

HostileRequest CHostileRequestSource::NextLogLine()
{
    static const char* const kWords[] = {"INFO;", "ERROR;", "SINFO;", "SERROR;"};
    std::string strRequest = kWords[Below(4)];
    strRequest += Chance(50) ? "[[12-07-2026 01:23:45]:fuzz:1]-> " : "";
    strRequest += RandomText(std::min<std::size_t>(RandomLength(), kLargestMessage - 64));
    return {Chance(90) ? WithNul(strRequest) : strRequest, "log line"};
}

HostileRequest CHostileRequestSource::NextGoodbye()
{
    static const char* const kGoodbyes[] = {"TERMINATE", "TERMINATE;", "TERMINATE;anything",
                                            ";;CLEAN;;", "CLEAN;",     "CLEAN"};
    const std::string strText = kGoodbyes[Below(6)];
    return {Chance(80) ? WithNul(strText) : strText, "goodbye"};
}

HostileRequest CHostileRequestSource::NextAnswered()
{
    for (;;)
    {
        HostileRequest request = Next();
        if (ExpectedOutcome(request.strBytes) == Outcome::kReply)
            return request;
    }
}

HostileRequest CHostileRequestSource::Next()
{
    const std::uint32_t u = Below(100);
    if (u < 30)
        return NextLogLine();
    if (u < 42)
        return InitRequest();
    if (u < 54)
        return {RandomBytes(1 + Below(static_cast<std::uint32_t>(kLargestMessage))), "random bytes"};
    if (u < 60)
    {
        std::string strText = NextLogLine().strBytes;
        return {strText.substr(0, std::strlen(strText.c_str())), "no NUL"};
    }
    if (u < 66)
        return SemicolonStorm();
    if (u < 72)
        return NearMiss();
    if (u < 76)
        return SizedRequest();
    if (u < 78)
        return {std::string(), "empty"};
    if (u < 84)
        return NextGoodbye();
    return {WithNul(RandomText(RandomLength())), "random text"};
}
