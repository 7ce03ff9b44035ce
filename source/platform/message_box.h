// Modal message boxes. With SNAPSRC_UNATTENDED=<file> no box is shown: each one
// is appended to the file as a line "caption<TAB>text<TAB>buttons<TAB>answer" and
// answered without destroying anything (OK; No to a question).
#pragma once

#include <string_view>

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Yes, No };

// `owner` is a window handle of this process or null; anything else is ignored.
MessageAnswer ShowMessageBox(void* owner, std::string_view caption, std::string_view text,
                             MessageButtons buttons, MessageIcon icon = MessageIcon::None);
