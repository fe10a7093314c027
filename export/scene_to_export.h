// The scene every export and the preview start from, made one way for the
// command, its batch conversion and the page.
#pragma once

#include <string>
#include <vector>

#include "export/document_look.h"
#include "export/export_scene.h"
#include "export/map_search.h"
#include "model/status.h"

class HostScene;

struct SceneToExport {
    ExportScene scene;
    std::vector<std::string> warnings;  // to tell the user, UTF-8
    // A failure when nothing is left to write: every object the document
    // shows was left out for values no written format can carry.
    Status writable;
};

// The host scene of an import, with what the document says beyond it
// (document_look.h) and the pictures its maps name, looked for from the
// document's folder (map_images.h). Objects holding values that are not
// finite are left out. The warnings name the objects and maps left out or
// found elsewhere.
SceneToExport MakeSceneToExport(const HostScene& host, const DocumentLookOptions& look,
                                const std::string& document, MapFinder& finder);
