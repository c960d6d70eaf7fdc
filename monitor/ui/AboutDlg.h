// CAboutDlg: the modal About box (dialog template IDD_ABOUT): the program's name,
// the maker's notice and OK. It holds no data and handles nothing itself.
#pragma once

#include "Dialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();
};
