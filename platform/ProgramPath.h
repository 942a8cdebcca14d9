#pragma once

#include <string>

namespace qv {

// One of Quorvane's own programs (quorvane-arping, quorvane-window): beside
// the running program when it runs from its build tree, else where the
// package installed it.
std::string ProgramPath(const char* name);

} // namespace qv
