#include "PipeSecurity.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace
{

// The process's user as an SID string ("S-1-5-21-..."); empty when unknown.
std::string ProcessUserSid()
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return std::string();
    DWORD cb = 0;
    ::GetTokenInformation(hToken, TokenUser, nullptr, 0, &cb);
    std::vector<BYTE> buffer(cb);
    std::string strSid;
    char* pszSid = nullptr;
    if (cb && ::GetTokenInformation(hToken, TokenUser, buffer.data(), cb, &cb) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &pszSid))
    {
        strSid = pszSid;
        ::LocalFree(pszSid);
    }
    ::CloseHandle(hToken);
    return strSid;
}

} // namespace

CPipeSecurity::CPipeSecurity()
{
    const std::string strUser = ProcessUserSid();
    if (strUser.empty())
        return;
    // Protected: nothing inherited. Full access for the system and the user.
    const std::string strSddl = "D:P(A;;GA;;;SY)(A;;GA;;;" + strUser + ")";
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(strSddl.c_str(), SDDL_REVISION_1,
                                                                &pDescriptor, nullptr))
        return;
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = pDescriptor;
    m_attributes.bInheritHandle = FALSE;
}

CPipeSecurity::~CPipeSecurity()
{
    if (m_attributes.lpSecurityDescriptor)
        ::LocalFree(m_attributes.lpSecurityDescriptor);
}
