#include "TimeStamp.h"

#include <ctime>

namespace Protocol
{

void MakeTimeStamp(char (&out)[kTimeStampBytes])
{
    out[0] = '\0';
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return;
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &now) != 0)
        return;
#else
    if (localtime_r(&now, &local) == nullptr)
        return;
#endif
    if (std::strftime(out, sizeof(out), kTimeStampFormat, &local) == 0)
        out[0] = '\0';
}

} // namespace Protocol
