#pragma once

#include "window/command_line.h"

// Starts the window for a command line that asks for it (files to load, rule files, Qt's own
// options before "--") and runs it until it closes; returns the exit status. Says so and
// returns 2 when there is no display to show it on.
int RunWindow(int argc, char* argv[], const CommandLine& line);
