#include "LoggerSet.h"

#include <new>

namespace Marvane::NativeLogging
{

ZOVLogger* LoggerSet::Create(LogLineSink sink, LockWaitHook waitHook)
{
    std::unique_ptr<ZOVLogger> logger(new (std::nothrow) ZOVLogger(sink, waitHook));
    if (!logger)
        return nullptr;
    m_loggers.push_back(std::move(logger));
    return m_loggers.back().get();
}

void LoggerSet::DeleteAll()
{
    for (const std::unique_ptr<ZOVLogger>& logger : m_loggers)
        logger->WaitUntilIdle();
    m_loggers.clear();
}

} // namespace Marvane::NativeLogging
