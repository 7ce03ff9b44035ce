// Unattended mode for automation: dialogs answer from the environment and
// leave a record instead of waiting for a person.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The log file named by SNAPSRC_UNATTENDED, or nullopt when a person is present.
std::optional<std::string> UnattendedLogPath();

// Appends "caption<TAB>text<TAB>buttons<TAB>answer"; line breaks and tabs in the
// fields are written as \n, \r and \t so that each box stays one line.
void AppendUnattendedRecord(const std::string& path, std::string_view caption, std::string_view text,
                            std::string_view buttons, std::string_view answer);
