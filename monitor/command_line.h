// Splitting the "Exec" command line into the words of a program start, as a
// shell splits a simple command, without running a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Blanks (space, tab, line breaks) separate words; double quotes group text
// into one word and are dropped, so `"C:\Program Files\x.exe" a""b ""` gives
// `C:\Program Files\x.exe`, `ab` and an empty word. An unclosed quote runs to
// the end. Backslashes and single quotes are ordinary characters: the file
// keeps Windows-style paths readable.
std::vector<std::string> SplitCommandLine(std::string_view command_line);
