// The frame of every reliability test: a test installation with the usual
// catalogue (so the monitor's notes name the clients they are about), and no
// monitor left over before or after a case.
#pragma once

#include "MonitorProcess.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <string>

class MonitorReliabilityTest : public ::testing::Test
{
protected:
    void SetUp() override { KillAllMonitors(); }
    void TearDown() override { KillAllMonitors(); }

    // The notes of the test catalogue for a client that said goodbye, and for one
    // that the monitor cleaned up after.
    static std::string TerminatedNote(int nClientId)
    {
        return "Client " + std::to_string(nClientId) + " has terminated.";
    }
    static std::string CleanedUpNote(int nClientId)
    {
        return "Client " + std::to_string(nClientId) + " is being cleaned up.";
    }

    CTestInstallation m_installation{CTestInstallation::Kind::kWithCatalogue};
};
