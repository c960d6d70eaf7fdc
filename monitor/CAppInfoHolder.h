// CAppInfoHolder: the monitor's record of one registered client, made from the
// fields of its INIT request. Owned by the connection that registered it.
#pragma once

#include <cstdint>
#include <string>

class CAppInfoHolder
{
public:
    CAppInfoHolder() = default;
    virtual ~CAppInfoHolder() = default;
    CAppInfoHolder(const CAppInfoHolder&) = delete;
    CAppInfoHolder& operator=(const CAppInfoHolder&) = delete;

    std::int32_t m_lClientId = 0;
    std::string m_strClientPath; // stored only; the monitor neither shows nor uses it
    std::string m_strClientText; // stored only
};
