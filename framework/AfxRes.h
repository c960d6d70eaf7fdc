// Standard ids of the framework: commands, window ids of frame parts, string
// resources the framework looks up, style bits of frames and control bars.
// Plain #defines so that resource scripts include it as well as C++ code; the
// values are those of the framework we model, so resources and prompts written
// for it keep working.
#pragma once

// ---- Resource type of tool-bar layouts -------------------------------------------
// Data: WORD version (1), WORD button width, WORD button height, WORD count, then
// count WORD command ids (0 = separator). windres's own TOOLBAR statement writes a
// different layout, so scripts write the data directly:
//     IDR_MAINFRAME RT_TOOLBAR { 1, 16, 15, 4, ID_A, ID_B, ID_SEPARATOR, ID_C }
#ifdef RC_INVOKED
#define RT_TOOLBAR 241
#else
#define RT_TOOLBAR MAKEINTRESOURCEA(241)
#endif

// ---- Window ids of frame parts -----------------------------------------------------
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900
// The sides of a frame that a bar docks to (CFrameWnd::DockControlBar). They name
// sides only: no dock-bar windows exist here.
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E

// ---- Status-bar panes --------------------------------------------------------------
#define ID_SEPARATOR 0
#define ID_INDICATOR_CAPS 0xE700
#define ID_INDICATOR_NUM 0xE701
#define ID_INDICATOR_SCRL 0xE702

// ---- Standard commands -------------------------------------------------------------
#define ID_FILE_SAVE 0xE103
#define ID_EDIT_COPY 0xE122
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
// The View menu's bar commands carry the ids of the bars they show and hide.
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// ---- Standard strings --------------------------------------------------------------
#define AFX_IDS_APP_TITLE 0xE000   // caption of message boxes
#define AFX_IDS_IDLEMESSAGE 0xE001 // status-bar text while no menu item is selected

// ---- Frame styles (low word of the frame's window style) ---------------------------
#define FWS_ADDTOTITLE 0x00008000L

// ---- Control-bar styles (kept by the bar, not in its window style) -----------------
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_FLOATING 0x0001L // in its own tool window instead of docked at a side
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
// Every bit above: what a bar's Create keeps for itself and removes from the window style.
#define CBRS_ALL 0x0040FFFFL
