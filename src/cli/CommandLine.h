#pragma once

// The command-line front end: `quillfire <command> [options]`.
// Returns the process exit status.
int runCommandLine(int argc, char** argv);
