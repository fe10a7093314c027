// The Windows program writes no other formats: --export and --preview are
// not options there, so they are refused like any unknown option.
#include "cli/scene_outputs.h"

bool ParseSceneOutput(int, char**, int&, SceneOutputs&, bool&) {
    return false;
}

bool WriteSceneOutputs(const HostScene&, const SceneOutputs& outputs, ResultStream*) {
    return outputs.exports.empty() && outputs.preview.empty();
}
