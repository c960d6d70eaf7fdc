// The monitor's line builder: where its own logger's lines go. Each line gets the
// short layout and is shown in the console in colour class 0; without a main
// window (start-up, the registration run) it is dropped.
#pragma once

void ShowLogLine(const char* pszText, int nKind);
