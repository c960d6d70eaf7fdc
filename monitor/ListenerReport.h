// What a monitor whose pipe listener could not serve tells the user as it ends:
// in debug mode a message box saying why, and in any mode its exit code (2:
// another monitor of the user keeps the listener mutex and does not answer, 3:
// another user's process holds the mutex's name, 4: no mutex or pipe). A monitor
// that gave way to another one that answers ends silently with 0, as when two
// start together.
#pragma once

// Called as the monitor ends, on the window's thread: the exit code to end with
// (0 when the listener served, or never ran).
int ReportListenerFailure(bool bDebugMode);
