#include "export/scene_to_export.h"

#include "export/map_images.h"
#include "export/scene_from_host.h"

SceneToExport MakeSceneToExport(const HostScene& host, const DocumentLookOptions& look,
                                const std::string& document, MapFinder& finder) {
    SceneToExport out{SceneFromHost(host), {}};
    out.warnings = ApplyDocumentLook(out.scene, host, look);
    for (std::string& warning : FindMapImages(out.scene, document, finder)) {
        out.warnings.push_back(std::move(warning));
    }
    return out;
}
