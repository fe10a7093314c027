// Runs the varnel program and captures what it prints.
#pragma once

#include <string>

struct VarnelRun {
    int status = -1;
    std::string out;
    std::string err;
};

// args may end with redirections of standard output; before is shell text
// run first in the same shell (limits, signal dispositions).
VarnelRun RunVarnel(const std::string& args, const std::string& before = "");
