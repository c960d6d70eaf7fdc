// Tests rewrite the installation key of the test machine's registry. This keeps
// what was there (key, "Location" value and its type, to the byte) from
// construction and puts exactly that back on destruction, so that no test leaves
// another a different machine.
#pragma once

#include "InstallKey.h"

#include <windows.h>

#include <vector>

class CSavedInstallationKey
{
public:
    CSavedInstallationKey()
    {
        const HKEY hKey = TestInstallKey::Open(KEY_READ);
        m_bKeyExisted = hKey != nullptr;
        if (!m_bKeyExisted)
            return;
        DWORD cbData = 0;
        m_bValueExisted = ::RegQueryValueExA(hKey, Install::kLocationValueName, nullptr, &m_dwType, nullptr,
                                             &cbData) == ERROR_SUCCESS;
        m_data.resize(cbData);
        if (m_bValueExisted && cbData &&
            ::RegQueryValueExA(hKey, Install::kLocationValueName, nullptr, nullptr, m_data.data(), &cbData) !=
                ERROR_SUCCESS)
            m_bValueExisted = false;
        ::RegCloseKey(hKey);
    }

    ~CSavedInstallationKey()
    {
        RemoveKey();
        if (!m_bKeyExisted)
            return;
        const HKEY hKey = TestInstallKey::Create();
        if (!hKey)
            return;
        if (m_bValueExisted)
            ::RegSetValueExA(hKey, Install::kLocationValueName, 0, m_dwType, m_data.data(),
                             static_cast<DWORD>(m_data.size()));
        ::RegCloseKey(hKey);
    }

    CSavedInstallationKey(const CSavedInstallationKey&) = delete;
    CSavedInstallationKey& operator=(const CSavedInstallationKey&) = delete;

    static void RemoveKey() { TestInstallKey::Delete(); }

private:
    bool m_bKeyExisted = false;
    bool m_bValueExisted = false;
    DWORD m_dwType = 0;
    std::vector<BYTE> m_data;
};
