#include "ObjectSecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace
{

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

CUserObjectSecurity::CUserObjectSecurity() : m_strUserSid(ProcessUserSid())
{
    if (m_strUserSid.empty())
        return;
    // Owner the user (an elevated token would make the administrators the owner),
    // protected: nothing inherited; a medium label that denies writing to lower levels.
    const std::string strSddl = "O:" + m_strUserSid + "D:P(A;;GA;;;SY)(A;;GA;;;" + m_strUserSid +
                                ")S:(ML;;NW;;;ME)";
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(strSddl.c_str(), SDDL_REVISION_1,
                                                                &pDescriptor, nullptr))
        return;
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = pDescriptor;
    m_attributes.bInheritHandle = FALSE;
}

CUserObjectSecurity::~CUserObjectSecurity()
{
    if (m_attributes.lpSecurityDescriptor)
        ::LocalFree(m_attributes.lpSecurityDescriptor);
}

bool CUserObjectSecurity::IsOwnedByUser(HANDLE hObject) const
{
    PSID pOwner = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (m_strUserSid.empty() || ::GetSecurityInfo(hObject, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION,
                                                  &pOwner, nullptr, nullptr, nullptr,
                                                  &pDescriptor) != ERROR_SUCCESS)
        return true;
    char* pszOwner = nullptr;
    bool bOwned = true;
    if (pOwner && ::ConvertSidToStringSidA(pOwner, &pszOwner))
    {
        bOwned = m_strUserSid == pszOwner;
        ::LocalFree(pszOwner);
    }
    ::LocalFree(pDescriptor);
    return bOwned;
}
