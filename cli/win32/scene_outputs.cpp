// The Windows program writes no other formats: --export, --preview, --scale
// and --include-hidden are not options there, so they are refused like any
// unknown option.
#include "cli/scene_outputs.h"

bool ParseSceneOutput(const char*, int, char**, int&, SceneOutputs&, bool&) {
    return false;
}

bool WriteSceneOutputs(const HostScene&, const SceneOutputs& outputs, ResultStream*) {
    return outputs.exports.empty() && outputs.preview.empty();
}

void KeepDocumentOutline(const MQOModel&, SceneOutputs&) {}
