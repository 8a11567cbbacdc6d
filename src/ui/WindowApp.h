#pragma once

// The windowed launcher: runs the application loop with the main window and
// returns the process exit status once the window has closed.
int runWindow(int argc, char** argv);
