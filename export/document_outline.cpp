#include "export/document_outline.h"

#include "process/cleanup_faces.h"
#include "reader/mqo_loader.h"

DocumentOutline OutlineOf(const MQOModel& model) {
    DocumentOutline outline;
    outline.code_page = model.code_page;
    outline.objects.reserve(size_t(model.ObjectCount()));
    for (int j = 0; j < model.ObjectCount(); ++j) {
        const MQOObject& object = *model.ObjectAt(j);
        outline.objects.push_back({object.name, object.visible != 0, object.depth,
                                   object.VertexCount() > 0 && object.FaceCount() > 0});
    }
    for (int i = 0; i < model.MaterialCount(); ++i) {
        const MQOMaterial& material = *model.MaterialAt(i);
        outline.materials.push_back({material.name, material.tex, material.alpha, material.bump});
    }
    return outline;
}

bool ReadOutline(const std::string& document, const std::string* bytes, bool freeze_mirror,
                 bool freeze_catmull, DocumentOutline& out) {
    MQOLoader loader;
    if (freeze_mirror) loader.SetFreezeMirror(1);
    if (freeze_catmull) loader.SetFreezeCatmull(1);
    const int32_t read = bytes != nullptr
                             ? loader.LoadBytes(document.c_str(), bytes->data(), bytes->size())
                             : loader.Load(document.c_str());
    if (read == 0 || loader.GetModel() == nullptr) return false;
    CleanupFaces(*loader.GetModel());
    out = OutlineOf(*loader.GetModel());
    return true;
}
