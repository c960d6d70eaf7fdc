// Owns every logger that the logging configuration created. A logger that a
// later ZOVLOGGER token replaced has still been handed to the companion
// library, which may go on calling it, so no logger is freed before the owner
// (the application object, in its exit path) frees them all at once.
#pragma once

#include "ZOVLogger.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Marvane::NativeLogging
{

class LoggerSet
{
public:
    LoggerSet() = default;
    ~LoggerSet() = default;
    LoggerSet(const LoggerSet&) = delete;
    LoggerSet& operator=(const LoggerSet&) = delete;

    // A new logger with every level off, or null when memory ran out.
    ZOVLogger* Create(LogLineSink sink, LockWaitHook waitHook = nullptr);
    std::size_t Count() const { return m_loggers.size(); }
    // After this, no pointer handed out by Create may be used. A call that is
    // inside a logger (another thread's, begun before the companion library let go
    // of the pointer) finishes first.
    void DeleteAll();

private:
    std::vector<std::unique_ptr<ZOVLogger>> m_loggers;
};

} // namespace Marvane::NativeLogging
