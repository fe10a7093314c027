#include "run_varnel.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/test_support.h"

VarnelRun RunVarnel(const std::string& args, const std::string& before) {
    TempFile err_file("", ".err");
    std::string command = before + " " + std::string(VARNEL_EXE) + " " + args + " 2>" +
                          err_file.path() + " </dev/null";
    VarnelRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(err_file.path(), std::ios::binary);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}
