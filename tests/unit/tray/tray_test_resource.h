// Resource ids of the tray tests' resource script.
#pragma once

#define IDR_TEST_TRAYMENU 129
#define ID_TEST_OPEN_CONSOLE 32771
#define ID_TEST_EXIT 32772
// A menu whose first item is a plain command, not a sub-menu.
#define IDR_TEST_FLATMENU 131
#define ID_TEST_FLAT_ITEM 40001
#define IDI_TEST_RED 201
#define IDI_TEST_BLUE 202
// 203 is deliberately missing.
#define IDI_TEST_MISSING 203
#define IDS_TEST_TOOLTIP 300
