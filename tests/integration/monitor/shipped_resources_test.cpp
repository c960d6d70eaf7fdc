// What the built Tessaly.exe carries, read from the program file itself: its menus,
// accelerators, strings, tool bar, icon and About box; and the About box as the
// running program's own command shows it.
#include "MonitorProcess.h"
#include "Polling.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace
{

struct LibraryFreer
{
    void operator()(HMODULE hModule) const { ::FreeLibrary(hModule); }
};
using CLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// "&File{Save=57603,-,E&xit=32772},...": items, ids, separators and pop-ups.
std::string MenuText(HMENU hMenu)
{
    std::string text;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i)
    {
        char szItem[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = szItem;
        info.cch = sizeof(szItem);
        ::GetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &info);
        text += i ? "," : "";
        if (info.fType & MFT_SEPARATOR)
            text += "-";
        else if (info.hSubMenu)
            text += std::string(szItem) + "{" + MenuText(info.hSubMenu) + "}";
        else
            text += std::string(szItem) + "=" + std::to_string(info.wID);
    }
    return text;
}

std::string LoadedMenuText(HMODULE hModule, WORD nId)
{
    const HMENU hMenu = ::LoadMenuA(hModule, MAKEINTRESOURCEA(nId));
    const std::string text = hMenu ? MenuText(hMenu) : "<no menu>";
    ::DestroyMenu(hMenu);
    return text;
}

std::vector<BYTE> ResourceBytes(HMODULE hModule, WORD nId, LPCSTR pszType)
{
    const HRSRC hInfo = ::FindResourceA(hModule, MAKEINTRESOURCEA(nId), pszType);
    const BYTE* pData =
        hInfo ? static_cast<const BYTE*>(::LockResource(::LoadResource(hModule, hInfo))) : nullptr;
    return pData ? std::vector<BYTE>(pData, pData + ::SizeofResource(hModule, hInfo)) : std::vector<BYTE>();
}

WORD WordAt(const std::vector<BYTE>& bytes, std::size_t nOffset)
{
    return nOffset + 1 < bytes.size() ? static_cast<WORD>(bytes[nOffset] | bytes[nOffset + 1] << 8) : 0xFFFF;
}

std::string TextOf(HWND hWnd)
{
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

class ShippedResourcesTest : public ::testing::Test
{
protected:
    void SetUp() override { KillAllMonitors(); }
    void TearDown() override { KillAllMonitors(); }

    CTestInstallation m_installation{CTestInstallation::Kind::kWithCatalogue};
};

} // namespace

TEST_F(ShippedResourcesTest, TheProgramCarriesItsMenusKeysStringsToolBarIconAndAboutBox)
{
    const CLibrary program(
        ::LoadLibraryExA(BuiltProgramPath("Tessaly.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const HMODULE hExe = program.get();
    ASSERT_NE(nullptr, hExe);

    EXPECT_EQ("&File{Save=57603,&Log to File...=32778,-,E&xit=32772},"
              "&Edit{Clear Messages=32773,-,&Copy\tCtrl+C=57634,Select &All\tCtrl+A=32774,-,&Find...\tCtrl+F=32775},"
              "&View{&Toolbar=59392,&Status Bar=59393},&Help{&About Tessaly...=57664}",
              LoadedMenuText(hExe, 128));
    EXPECT_EQ("&File{Open Console=32771,E&xit=32772}", LoadedMenuText(hExe, 129));

    // Ctrl+C and Ctrl+Insert to Copy, Ctrl+A to Select All, Ctrl+F to Find, F3 and
    // Shift+F3 to find the next and the previous match.
    ACCEL keys[8] = {};
    ASSERT_EQ(6, ::CopyAcceleratorTableA(::LoadAcceleratorsA(hExe, MAKEINTRESOURCEA(128)), keys, 8));
    const ACCEL expected[] = {{FVIRTKEY | FCONTROL, 'C', 57634},     {FVIRTKEY | FCONTROL, VK_INSERT, 57634},
                              {FVIRTKEY | FCONTROL, 'A', 32774},     {FVIRTKEY | FCONTROL, 'F', 32775},
                              {FVIRTKEY, VK_F3, 32776},              {FVIRTKEY | FSHIFT, VK_F3, 32777}};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(expected[i].fVirt, keys[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT)) << i;
        EXPECT_EQ(expected[i].key, keys[i].key) << i;
        EXPECT_EQ(expected[i].cmd, keys[i].cmd) << i;
    }

    const std::pair<UINT, const char*> strings[] = {
        {128, "Tessaly"},
        {57344, "Marvane ZOV Application Monitor"},
        {57345, "Ready"},
        {32772, "Quit the application; prompts to save documents\nExit"},
        {32773, "Clear All Messages"},
        {59136, "CAP"},
        {59137, "NUM"},
        {59138, "SCRL"}};
    for (const auto& string : strings)
    {
        char szText[256] = "";
        ::LoadStringA(hExe, string.first, szText, sizeof(szText));
        EXPECT_STREQ(string.second, szText) << string.first;
    }
    for (UINT nCommand : {57603u, 57634u, 59392u, 59393u, 57664u, 32774u, 32775u, 32776u, 32777u, 32778u})
    {
        char szText[256] = "";
        EXPECT_GT(::LoadStringA(hExe, nCommand, szText, sizeof(szText)), 0) << "prompt of " << nCommand;
    }

    // Tool bar: 16 by 15 buttons Clear Messages, Save, a separator, Copy; their
    // images in one 48 by 15 picture of 16 colours.
    const std::vector<BYTE> toolBar = ResourceBytes(hExe, 128, MAKEINTRESOURCEA(241));
    const WORD expectedToolBar[] = {1, 16, 15, 4, 32773, 57603, 0, 57634};
    ASSERT_EQ(sizeof(expectedToolBar), toolBar.size());
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(expectedToolBar[i], WordAt(toolBar, i * 2)) << "word " << i;
    const std::vector<BYTE> bitmap = ResourceBytes(hExe, 128, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    const auto* pBitmap = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data());
    EXPECT_EQ(48, pBitmap->biWidth);
    EXPECT_EQ(15, pBitmap->biHeight);
    EXPECT_EQ(4, pBitmap->biBitCount);

    // Icon: 32 by 32 and 16 by 16, 16 colours (icon directory entries of 14 bytes).
    const std::vector<BYTE> icons = ResourceBytes(hExe, 128, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_EQ(2, WordAt(icons, 4));
    for (std::size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ(i == 0 ? 32 : 16, icons.at(6 + i * 14)) << "icon " << i;
        EXPECT_EQ(4, WordAt(icons, 6 + i * 14 + 6)) << "bits per pixel of icon " << i;
    }

    // About box, made here from the program's template: caption, frame, size and
    // its four items where they belong, in dialog units.
    const HWND hDlg = ::CreateDialogParamA(hExe, MAKEINTRESOURCEA(100), nullptr, &PlainDialogProc, 0);
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ("About Tessaly", TextOf(hDlg));
    const DWORD dwFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(dwFrame, static_cast<DWORD>(::GetWindowLongA(hDlg, GWL_STYLE)) & dwFrame);
    RECT rcSize = {0, 0, 235, 45};
    ::MapDialogRect(hDlg, &rcSize);
    RECT rcClient;
    ::GetClientRect(hDlg, &rcClient);
    EXPECT_TRUE(::EqualRect(&rcSize, &rcClient));
    struct Item
    {
        WORD nId;
        const char* pszClass;
        const char* pszText; // null: any
        RECT place;          // x, y, width, height
        DWORD dwStyle;
        bool bSized; // an icon takes its picture's size
    };
    const Item items[] = {
        {0xFFFF, "Static", nullptr, {11, 10, 21, 20}, SS_ICON, false},
        {0xFFFF, "Static", "Marvane ZOV Application Monitor", {40, 10, 143, 8}, SS_NOPREFIX, true},
        {1000, "Static", nullptr, {40, 25, 131, 8}, 0, true},
        {IDOK, "Button", "OK", {178, 7, 50, 14}, BS_DEFPUSHBUTTON, true}};
    HWND hItem = ::GetWindow(hDlg, GW_CHILD);
    for (const Item& item : items)
    {
        ASSERT_NE(nullptr, hItem);
        char szClass[32] = "";
        ::GetClassNameA(hItem, szClass, sizeof(szClass));
        EXPECT_STREQ(item.pszClass, szClass);
        EXPECT_EQ(item.nId, static_cast<WORD>(::GetDlgCtrlID(hItem)));
        if (item.pszText)
        {
            EXPECT_EQ(item.pszText, TextOf(hItem));
        }
        EXPECT_EQ(item.dwStyle, static_cast<DWORD>(::GetWindowLongA(hItem, GWL_STYLE)) & item.dwStyle);
        // As the dialog manager maps them: place and size each on their own.
        RECT rcExpected = item.place;
        ::MapDialogRect(hDlg, &rcExpected);
        rcExpected.right += rcExpected.left;
        rcExpected.bottom += rcExpected.top;
        RECT rcActual;
        ::GetWindowRect(hItem, &rcActual);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rcActual), 2);
        EXPECT_EQ(rcExpected.left, rcActual.left) << item.nId;
        EXPECT_EQ(rcExpected.top, rcActual.top) << item.nId;
        if (item.bSized)
        {
            EXPECT_TRUE(::EqualRect(&rcExpected, &rcActual)) << item.nId;
        }
        hItem = ::GetWindow(hItem, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, hItem) << "four items";
    ::DestroyWindow(hDlg);

    // The running program's About command shows the box over its frame; OK closes it.
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    const HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    ::PostMessageA(hFrame, WM_COMMAND, 57664, 0);
    HWND hBox = nullptr;
    // The box's window exists a moment before its items: wait for the text too.
    ASSERT_TRUE(WaitUntil(
        [&] {
            hBox = FindProcessWindow(monitor.ProcessId(), "About Tessaly");
            return hBox && ::FindWindowExA(hBox, nullptr, "Static", "Marvane ZOV Application Monitor");
        },
        10000));
    EXPECT_EQ(hFrame, ::GetWindow(hBox, GW_OWNER));
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(hBox); }, 5000));
    EXPECT_TRUE(monitor.IsRunning());
}
