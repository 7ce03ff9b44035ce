// Where the source's own library file lives, for what ships beside it.
#pragma once

#include <string>

// The directory (without a trailing slash) of the shared object that holds this
// code; empty when it cannot be found.
std::string ModuleDirectory();
