#include "cli/CommandLine.h"
#include "ui/WindowApp.h"

// With a command the launcher runs in the terminal; without one it opens its window.
int main(int argc, char** argv) {
    return argc > 1 ? runCommandLine(argc, argv) : runWindow(argc, argv);
}
