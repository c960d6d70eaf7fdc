// The bytes on the monitor pipe: its name and modes, the request keywords with
// their parsed kinds, the replies and the size limits. Both deliverables take
// every such constant from here and nowhere else.
#pragma once

#include <cstddef>

namespace Protocol
{

constexpr const char kPipeName[] = "\\\\.\\pipe\\ZOVLCMonPipe";

// Pipe creation values (the numbers behind the Windows names, so this header
// stays free of platform headers): PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE |
// PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES.
constexpr unsigned kPipeOpenMode = 3;
constexpr unsigned kPipeMode = 6;
constexpr unsigned kPipeMaxInstances = 255;
constexpr unsigned kPipeBufferBytes = 4096;

// A request is one message: the text and its NUL, at most 4096 bytes.
constexpr std::size_t kMaxRequestBytes = 4096;
constexpr std::size_t kMaxRequestChars = kMaxRequestBytes - 1;
// The client reads a reply with up to 4096 bytes; INIT, TERMINATE and CLEAN keep
// it in 1024-byte buffers, log lines in 4096-byte ones.
constexpr std::size_t kReplyReadBytes = 4096;
constexpr std::size_t kControlReplyBufferBytes = 1024;
constexpr std::size_t kLogReplyBufferBytes = 4096;

constexpr const char kReplySuccess[] = "SUCCESS";
constexpr std::size_t kReplySuccessBytes = sizeof(kReplySuccess) - 1;
constexpr const char kReplyFail[] = "FAIL";

constexpr char kFieldSeparator = ';';
constexpr char kInitSeparator = '|';

constexpr const char kKeywordInit[] = "INIT";
constexpr const char kKeywordTerminate[] = "TERMINATE";
constexpr const char kKeywordError[] = "ERROR";
constexpr const char kKeywordInfo[] = "INFO";
constexpr const char kKeywordClean[] = "CLEAN";
constexpr const char kKeywordSError[] = "SERROR";
constexpr const char kKeywordSInfo[] = "SINFO";

constexpr const char kRequestTerminate[] = "TERMINATE;";
constexpr const char kRequestClean[] = "CLEAN;";

// Log lines: "<word>;[<stamp>]-> <text>" before the client has an id,
// "<word>;[<stamp>:<name>:<id>]-> <text>" after. The stamp brings its own
// brackets, so every line shows two opening brackets.
constexpr const char kTimeStampFormat[] = "[%m-%d-%Y %H:%M:%S]";
constexpr std::size_t kTimeStampBytes = 128;
constexpr const char kLogLineOpen[] = "[";
constexpr const char kLogLineArrow[] = "]-> ";
constexpr char kLogLineFieldSeparator = ':';

// Kind of a parsed request; never sent on the pipe.
enum CommandKind : int
{
    kKindInit = 0,
    kKindTerminate = 1,
    kKindError = 2,
    kKindInfo = 3,
    kKindClean = 5,
    kKindSError = 6,
    kKindSInfo = 7,
    kKindUnrecognised = -1,
};

// Log kind as the exports and the logger pass it: selects the request keyword.
enum LogKind : int
{
    kLogInfo = 0,
    kLogError = 1,
    kLogSInfo = 2,
    kLogSError = 3,
};

} // namespace Protocol
