// The host scene in export form: one node per scene node, its faces split
// into one mesh per material in use, corners welded where every attribute
// agrees.
#pragma once

#include <optional>
#include <vector>

#include "export/export_scene.h"
#include "export/smoothing_normals.h"
#include "host/host_scene.h"

// Per scene node, the angle its normals are smoothed by; a node without one
// (or past the end) takes the host's smoothing groups.
using NodeSmoothing = std::vector<std::optional<SmoothingAngle>>;

// A face of a node with a multi-material takes sub-material (id mod count),
// as the host draws it; with any other material, or none, every face takes
// the node's material. Faces without a standard material get the default.
ExportScene SceneFromHost(const HostScene& host, const NodeSmoothing& smoothing = {});
