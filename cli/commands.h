// The commands of the `varnel` program. Each returns the exit status.
#pragma once

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 3;

void PrintUsage();
int RunRead(int argc, char** argv);
int RunImport(int argc, char** argv);
