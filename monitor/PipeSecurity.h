// The security of the monitor's pipe instances: the monitor's own user and the
// system have full access, nobody else any (remote clients are refused by the
// pipe mode). Windows' default would let every account read the pipe, enough to
// hold all of its instances and shut the user's hosts out.
#pragma once

#include <windows.h>

class CPipeSecurity
{
public:
    CPipeSecurity();
    ~CPipeSecurity();
    CPipeSecurity(const CPipeSecurity&) = delete;
    CPipeSecurity& operator=(const CPipeSecurity&) = delete;

    // For CreateNamedPipe; null (the default security) when the descriptor could
    // not be built, which only a lack of memory makes happen.
    SECURITY_ATTRIBUTES* Attributes() { return m_attributes.lpSecurityDescriptor ? &m_attributes : nullptr; }

private:
    SECURITY_ATTRIBUTES m_attributes = {};
};
