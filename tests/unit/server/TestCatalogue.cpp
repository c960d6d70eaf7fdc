#include "TestCatalogue.h"

#include "MonitorGlobals.h"

#include <windows.h>

#include <cstdio>

CTestCatalogue::CTestCatalogue(const std::string& sectionBody)
    : m_strSavedFile(g_strMessageFile), m_strSavedSection(g_strMessageSection)
{
    char szDir[MAX_PATH];
    char szPath[MAX_PATH];
    ::GetTempPathA(sizeof(szDir), szDir);
    ::GetTempFileNameA(szDir, "cat", 0, szPath);
    m_strPath = szPath;
    if (FILE* pFile = std::fopen(szPath, "wb"))
    {
        std::fputs("[tessalymessage_1024]\r\n", pFile);
        for (char c : sectionBody)
        {
            if (c == '\n')
                std::fputc('\r', pFile);
            std::fputc(c, pFile);
        }
        std::fclose(pFile);
    }
    g_strMessageFile = m_strPath;
    g_strMessageSection = "tessalymessage_1024";
}

CTestCatalogue::~CTestCatalogue()
{
    g_strMessageFile = m_strSavedFile;
    g_strMessageSection = m_strSavedSection;
    ::DeleteFileA(m_strPath.c_str());
}
