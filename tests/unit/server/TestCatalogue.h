// Writes a throw-away message catalogue (.ini) and points the monitor's
// catalogue globals at it; restores them (and deletes the file) on destruction.
#pragma once

#include <string>

class CTestCatalogue
{
public:
    // sectionBody: the lines after "[tessalymessage_1024]", e.g. "msg015=Client %d left\n".
    explicit CTestCatalogue(const std::string& sectionBody);
    ~CTestCatalogue();
    CTestCatalogue(const CTestCatalogue&) = delete;
    CTestCatalogue& operator=(const CTestCatalogue&) = delete;

private:
    std::string m_strPath;
    std::string m_strSavedFile;
    std::string m_strSavedSection;
};
