// Everything of the host SDK that the plug-in uses, under one include as the
// SDK's own max.h gathers it.
#pragma once

#include "shell/host/host_scene.h"
#include "shell/host/interfaces.h"
#include "shell/host/max_types.h"
#include "shell/host/mesh.h"
#include "shell/host/mtl.h"
#include "shell/host/node.h"
#include "shell/host/platform.h"
#include "shell/host/plugin.h"
#include "shell/host/triobj.h"
