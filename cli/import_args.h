// What `varnel import` was asked to do: the boxes to set, the answer to the
// options dialog, the output form and the file.
#pragma once

#include <cstring>
#include <string>

#include "archive/compressed_document.h"
#include "cli/scene_outputs.h"
#include "shell/resource.h"

enum class Answer { kAsk, kOk, kCancel };

// The four boxes in dialog order, with the options that set them.
struct BoxOption {
    int id;
    const char* on;
    const char* off;
};
constexpr BoxOption kBoxOptions[] = {
    {IDC_LOAD_USE_MATERIAL_ONLY, "--use-material-only", "--no-use-material-only"},
    {IDC_SAME_UV_COLLECT, "--same-uv-collect", "--no-same-uv-collect"},
    {IDC_FREEZE_MIRROR, "--freeze-mirror", "--no-freeze-mirror"},
    {IDC_FREEZE_CATMULL, "--freeze-catmull", "--no-freeze-catmull"},
};
constexpr int kBoxCount = 4;

// True when arg is one of the box options; boxes[b] is then set as it says
// (boxes: -1 as the dialog shows it, else 0 or 1).
inline bool SetBox(const char* arg, int (&boxes)[kBoxCount]) {
    for (int b = 0; b < kBoxCount; ++b) {
        const bool on = std::strcmp(arg, kBoxOptions[b].on) == 0;
        if (on || std::strcmp(arg, kBoxOptions[b].off) == 0) {
            boxes[b] = on ? 1 : 0;
            return true;
        }
    }
    return false;
}

struct ImportArgs {
    int boxes[kBoxCount] = {-1, -1, -1, -1};  // -1 as the dialog shows it, else 0 or 1
    Answer answer = Answer::kAsk;
    bool json = false;
    const char* file = nullptr;   // UTF-8
    std::string host_file;        // file as the host names it to the importer
    CompressedDocument document;  // what file holds, read once
    SceneOutputs outputs;
};
