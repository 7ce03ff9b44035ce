// Starting the "Exec" command line.
#pragma once

#include <string_view>

// Splits the command line into words and starts the first word as a program
// (looked up in PATH when it has no slash) in a session of its own. The
// monitor neither waits for it nor keeps it as a zombie: it runs on after the
// monitor ends. False when it cannot be started.
bool StartCommandLine(std::string_view command_line);

// Lets the kernel reap finished commands; called once before the first start.
bool ReapCommandsAutomatically();
