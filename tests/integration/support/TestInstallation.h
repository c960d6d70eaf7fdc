// Puts the registry's installation location into a known state for one test and
// restores what was there before: a temporary installation folder with a message
// catalogue, an empty "Location" value, or no key at all.
#pragma once

#include <string>

class CTestInstallation
{
public:
    enum class Kind
    {
        kWithCatalogue, // Location names the Tessaly.exe of a folder holding a copy of the
                        // built monitor, ZOVLogMessages.ini and the companion library
        kEmptyLocation, // the value exists and is empty
        kNoKey,         // HKLM\Software\Marvane\ZOVCommon is missing
    };

    // catalogue: the whole .ini text (sections included), used with kWithCatalogue.
    explicit CTestInstallation(Kind kind, const std::string& catalogue = DefaultCatalogue());
    ~CTestInstallation();
    CTestInstallation(const CTestInstallation&) = delete;
    CTestInstallation& operator=(const CTestInstallation&) = delete;

    const std::string& Directory() const { return m_strDirectory; }

    // Banner, notes and client start lines with recognisable texts.
    static std::string DefaultCatalogue();

private:
    std::string m_strDirectory;
    bool m_bHadValue = false;
    std::string m_strSavedValue;
};
