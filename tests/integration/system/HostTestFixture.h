// A test that starts host and monitor processes: none is left over from an earlier
// test when it begins, and none outlives it.
#pragma once

#include "HostProcess.h"
#include "MonitorProcess.h"

#include <gtest/gtest.h>

class CHostsAndMonitorsTest : public ::testing::Test
{
protected:
    void SetUp() override { EndAll(); }
    void TearDown() override { EndAll(); }

private:
    static void EndAll()
    {
        KillAllHosts();
        KillAllMonitors();
    }
};
