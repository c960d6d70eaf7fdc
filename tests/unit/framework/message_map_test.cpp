// Message maps: lookup through the class chain, most derived entry first,
// registered messages, command ranges and update entries.
#include "CmdTarget.h"

#include <gtest/gtest.h>

namespace
{

UINT g_uTestRegistered = 0;

class CBaseTarget : public CCmdTarget
{
public:
    int m_nBaseCommands = 0;
    int m_nBaseOverridden = 0;
    int m_nUpdates = 0;

    void OnBaseCommand() { ++m_nBaseCommands; }
    void OnOverridden() { ++m_nBaseOverridden; }
    void OnUpdateBase(CCmdUI*) { ++m_nUpdates; }
    LRESULT OnBaseMessage(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) + 1000; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_COMMAND(100, OnBaseCommand)
ON_COMMAND(101, OnOverridden)
ON_UPDATE_COMMAND_UI(100, OnUpdateBase)
ON_MESSAGE(WM_USER + 1, OnBaseMessage)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget
{
public:
    int m_nDerivedOverridden = 0;
    UINT m_nLastRangeId = 0;

    void OnOverridden() { ++m_nDerivedOverridden; }
    void OnRange(UINT nID) { m_nLastRangeId = nID; }
    LRESULT OnRegistered(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
    LRESULT OnDerivedMessage(WPARAM, LPARAM) { return 7; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
ON_COMMAND(101, OnOverridden)
ON_COMMAND_RANGE(200, 209, OnRange)
ON_REGISTERED_MESSAGE(g_uTestRegistered, OnRegistered)
ON_MESSAGE(WM_USER + 1, OnDerivedMessage)
END_MESSAGE_MAP()

LRESULT Dispatch(CCmdTarget& target, UINT message, WPARAM w, LPARAM l)
{
    const AFX_MSGMAP_ENTRY* pEntry = AfxFindMessageEntry(target.GetMessageMap(), message);
    return pEntry ? pEntry->pfn(&target, w, l) : -1;
}

} // namespace

TEST(MessageMap, CommandsResolveMostDerivedFirstThenBase)
{
    CDerivedTarget target;
    EXPECT_TRUE(target.OnCmdMsg(101, CN_COMMAND, nullptr));
    EXPECT_EQ(1, target.m_nDerivedOverridden);
    EXPECT_EQ(0, target.m_nBaseOverridden);

    EXPECT_TRUE(target.OnCmdMsg(100, CN_COMMAND, nullptr));
    EXPECT_EQ(1, target.m_nBaseCommands);
    EXPECT_EQ(0, target.m_nUpdates) << "a command must not run the update handler";

    EXPECT_TRUE(target.OnCmdMsg(100, CN_UPDATE_COMMAND_UI, nullptr));
    EXPECT_EQ(1, target.m_nUpdates);
    EXPECT_FALSE(target.OnCmdMsg(101, CN_UPDATE_COMMAND_UI, nullptr));
    EXPECT_FALSE(target.OnCmdMsg(999, CN_COMMAND, nullptr));
}

TEST(MessageMap, CommandRangeHandsTheIdToTheHandler)
{
    CDerivedTarget target;
    EXPECT_TRUE(target.OnCmdMsg(205, CN_COMMAND, nullptr));
    EXPECT_EQ(205u, target.m_nLastRangeId);
    EXPECT_FALSE(target.OnCmdMsg(210, CN_COMMAND, nullptr));
}

TEST(MessageMap, WindowMessagesAndRegisteredMessages)
{
    CDerivedTarget derived;
    CBaseTarget base;
    EXPECT_EQ(7, Dispatch(derived, WM_USER + 1, 5, 0));
    EXPECT_EQ(1005, Dispatch(base, WM_USER + 1, 5, 0));

    // Before registration the variable is 0 and must match nothing.
    EXPECT_EQ(-1, Dispatch(derived, 0, 0, 0));
    g_uTestRegistered = RegisterWindowMessageA("FRAMEWORK_TEST_MESSAGE");
    ASSERT_NE(0u, g_uTestRegistered);
    EXPECT_EQ(30, Dispatch(derived, g_uTestRegistered, 10, 20));
    EXPECT_EQ(-1, Dispatch(base, g_uTestRegistered, 10, 20));
    // A command id never matches as a window message.
    EXPECT_EQ(-1, Dispatch(derived, WM_COMMAND, 100, 0));
}

TEST(RuntimeClass, ChainsToBase)
{
    CCmdTarget target;
    EXPECT_TRUE(target.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_STREQ("CCmdTarget", target.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CCmdTarget)->CreateObject());
}
