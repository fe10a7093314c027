// Runs the varnel program and captures what it prints.
#pragma once

#include <string>

struct VarnelRun {
    int status = -1;
    std::string out;
    std::string err;
};

VarnelRun RunVarnel(const std::string& args);
