// Everything of the host SDK that the plug-in uses, under one include as the
// SDK's own max.h gathers it.
#pragma once

#include "host/host_scene.h"
#include "host/interfaces.h"
#include "host/max_types.h"
#include "host/mesh.h"
#include "host/mtl.h"
#include "host/node.h"
#include "host/platform.h"
#include "host/plugin.h"
#include "host/triobj.h"
