#include "TimeStamp.h"

#include <chrono>
#include <cstring>

namespace Protocol
{

void FormatTimeStamp(std::time_t second, char (&out)[kTimeStampBytes])
{
    out[0] = '\0';
    if (second == static_cast<std::time_t>(-1))
        return;
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &second) != 0)
        return;
#else
    if (localtime_r(&second, &local) == nullptr)
        return;
#endif
    if (std::strftime(out, sizeof(out), kTimeStampFormat, &local) == 0)
        out[0] = '\0';
}

void MakeTimeStamp(char (&out)[kTimeStampBytes])
{
    FormatTimeStamp(std::time(nullptr), out);
}

void CTimeStampCache::Make(char (&out)[kTimeStampBytes])
{
    MakeFor(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()), out);
}

void CTimeStampCache::MakeFor(std::time_t second, char (&out)[kTimeStampBytes])
{
    if (!m_bCached || second != m_second)
    {
        FormatTimeStamp(second, m_szStamp);
        m_second = second;
        m_bCached = true;
    }
    std::memcpy(out, m_szStamp, std::strlen(m_szStamp) + 1);
}

} // namespace Protocol
