// Keeps the monitor's COM class registration as it was before the bench: the
// monitor started from the build folder registers itself there on every start.
// Restores the earlier server path, or removes the registration if there was none.
#pragma once

#include <string>

namespace Bench
{

class CClassRegistrationGuard
{
public:
    CClassRegistrationGuard();
    ~CClassRegistrationGuard();
    CClassRegistrationGuard(const CClassRegistrationGuard&) = delete;
    CClassRegistrationGuard& operator=(const CClassRegistrationGuard&) = delete;

private:
    bool m_bWasRegistered = false;
    std::string m_strServerPath;
};

} // namespace Bench
