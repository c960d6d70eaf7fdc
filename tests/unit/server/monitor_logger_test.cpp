// The monitor's own logger lines: shown whole however long.
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "RecordingWindow.h"
#include "ShowLogLine.h"

#include <gtest/gtest.h>

#include <string>

TEST(MonitorLogger, ALineIsShownWithAllOfItsText)
{
    CRecordingWindow window;
    MainWindowLink().Publish(window.GetHwnd(), false);
    ShowLogLine(std::string(4095, 'x').c_str(), 2); // the longest text the logger converts
    MainWindowLink().Withdraw();
    ASSERT_EQ(1u, window.Lines().size());
    const std::string strLine = window.Lines()[0].strText;
    EXPECT_EQ(0u, strLine.find("SINFO;[[")) << strLine.substr(0, 40);
    EXPECT_EQ(strLine.find("]-> ") + 4 + 4095, strLine.size()) << "the text was cut";
}

