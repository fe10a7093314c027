// What `varnel import` writes besides its report: the imported scene as
// files of other programs (--export) and a picture of it (--preview).
#pragma once

#include <string>
#include <vector>

class HostScene;
class ResultStream;

struct SceneOutputs {
    std::vector<std::string> exports;  // in the order given
    std::string preview;               // empty: none
    std::string document;              // the imported file: maps are looked for beside it
};

// True when arg (with the next argument, at index i + 1) is an output
// option; i then moves past its value. A missing value or an unknown file
// type is a usage error, told on standard error, with usage_error set.
bool ParseSceneOutput(int argc, char** argv, int& i, SceneOutputs& outputs, bool& usage_error);

// Writes every output; tells each one written on report when there is one,
// and each failure on standard error. False when any failed.
bool WriteSceneOutputs(const HostScene& host, const SceneOutputs& outputs, ResultStream* report);
