// What `varnel import` writes besides its report: the imported scene as
// files of other programs (--export) and a picture of it (--preview).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/teller.h"

class HostScene;
class ResultStream;
struct DocumentOutline;
struct MQOModel;

struct SceneOutputs {
    std::vector<std::string> exports;  // in the order given
    std::string preview;               // empty: none
    std::string document;              // the imported file: maps are looked for beside it
    bool include_hidden = false;       // keep the objects the document hides
    float scale = 1.0f;                // every position times this
    std::string map_index;             // walks of the maps' folders made by convert; empty: none
    Teller tell;                       // where failures and warnings go
    // What the import's model said beyond the host scene.
    std::shared_ptr<const DocumentOutline> outline;
};

// False, told on standard error after who as a usage error, when an output
// is the document itself (the same file by a link or another spelling of
// its name): writing it would replace the document by its own export.
[[nodiscard]] bool OutputsSpareTheDocument(const char* who, const SceneOutputs& outputs);

// Keeps what the outputs need of the import's model, when there are outputs
// (the importer's model watcher calls it).
void KeepDocumentOutline(const MQOModel& model, SceneOutputs& outputs);

// True when arg (with the next argument, at index i + 1) is an output
// option; i then moves past its value. A missing value, an unknown file
// type or a scale that is no positive finite number is a usage error, told
// on standard error after who (the command's name), with usage_error set.
bool ParseSceneOutput(const char* who, int argc, char** argv, int& i, SceneOutputs& outputs,
                      bool& usage_error);

// Writes every output, with what the document says that the host scene does
// not (the outline kept from the import's model); tells each one written on
// report when there is one, and each failure and warning through outputs.tell.
// False when any failed.
[[nodiscard]] bool WriteSceneOutputs(const HostScene& host, const SceneOutputs& outputs,
                                     ResultStream* report);
