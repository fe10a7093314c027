// The pictures of the scene's maps, found (map_search.h) and read
// (map_image.h) before anything is written.
#pragma once

#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/map_search.h"

// Points every map of every material at its picture in scene.images; each
// file is read once however many maps name it. A map whose file is not found
// or cannot be decoded keeps image -1, and the exports and the preview leave
// it out: the material shows its colour. Returns one warning per map path
// left out, naming it and where it was looked for, and one per map found
// elsewhere than its own path, saying where. document is the imported
// file's path; finder keeps what it has read for the next document.
std::vector<std::string> FindMapImages(ExportScene& scene, const std::string& document,
                                       MapFinder& finder);
