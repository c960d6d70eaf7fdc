#include "ReliabilitySupport.h"

std::string CBoundedClient::Transact(const std::string& strRequest, DWORD dwMilliseconds)
{
    std::string strReply;
    if (m_connection.Write(strRequest + '\0', dwMilliseconds) != IoResult::kOk ||
        m_connection.Read(strReply, dwMilliseconds) != IoResult::kOk)
        return kNoReply;
    return strReply;
}

bool CBoundedClient::WaitUntilClosedByMonitor(DWORD dwMilliseconds)
{
    std::string strReply;
    return m_connection.Read(strReply, dwMilliseconds) == IoResult::kBroken;
}

bool WaitUntilThreadsBackTo(DWORD dwProcessId, int nBaseline, DWORD dwMilliseconds)
{
    constexpr int kThreadSlack = 2;
    return WaitUntil([&] { return ThreadCountOf(dwProcessId) <= nBaseline + kThreadSlack; }, dwMilliseconds);
}

std::size_t CountOccurrences(const std::string& strText, const std::string& strNeedle)
{
    std::size_t nCount = 0;
    for (std::size_t nPos = strText.find(strNeedle); nPos != std::string::npos;
         nPos = strText.find(strNeedle, nPos + strNeedle.size()))
        ++nCount;
    return nCount;
}
