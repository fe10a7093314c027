// The commands of the `varnel` program. Each returns the exit status and
// puts its results on out.
#pragma once

class ResultStream;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 3;

// The whole program, its arguments in UTF-8 (posix/main.cpp, win32/main.cpp).
int VarnelMain(int argc, char** argv);

void PrintUsage(ResultStream& out);
int RunRead(int argc, char** argv, ResultStream& out);
int RunImport(int argc, char** argv, ResultStream& out);
int RunConvert(int argc, char** argv, ResultStream& out);
