// Resource ids of the framework tests' resource script.
#pragma once

#define IDR_TESTFRAME 128
#define IDD_TESTDIALOG 100

#define ID_TEST_CLEAR 32773     // handled by the frame
#define ID_TEST_VIEWONLY 32780  // handled by the view
#define ID_TEST_FRAMEONLY 32781 // handled by the frame
#define ID_TEST_APPONLY 32782   // handled by the application object
#define ID_TEST_NOBODY 32783    // handled by no one
#define ID_TEST_BOTH 32784      // handled by the view and by the frame
#define ID_TEST_PROMPT 32785    // a string for message boxes
