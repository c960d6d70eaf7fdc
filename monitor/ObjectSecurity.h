// The security of the monitor's named objects (its pipe instances and its
// listener lock): owned by the process's user; the user and the system have full
// access, nobody else any (remote pipe clients are refused by the pipe mode).
// Windows' default would let every account read the pipe, enough to hold all of
// its instances and shut the user's hosts out. Labelled medium integrity: a
// monitor started elevated would otherwise label its objects high, and then the
// same user's ordinary hosts could not write to its pipe, nor an ordinary
// monitor open its lock.
#pragma once

#include <windows.h>

#include <string>

class CUserObjectSecurity
{
public:
    CUserObjectSecurity();
    ~CUserObjectSecurity();
    CUserObjectSecurity(const CUserObjectSecurity&) = delete;
    CUserObjectSecurity& operator=(const CUserObjectSecurity&) = delete;

    // For the creating call; null (the default security) when the descriptor
    // could not be built, which only a lack of memory makes happen.
    SECURITY_ATTRIBUTES* Attributes() { return m_attributes.lpSecurityDescriptor ? &m_attributes : nullptr; }
    // The process's user as an SID string ("S-1-5-21-..."); empty when unknown.
    const std::string& UserSid() const { return m_strUserSid; }
    // Whether the object's owner is the process's user (true when either is unknown).
    bool IsOwnedByUser(HANDLE hObject) const;

private:
    std::string m_strUserSid;
    SECURITY_ATTRIBUTES m_attributes = {};
};
