#include "export/document_outline.h"

#include "model/mqo_model.h"

DocumentOutline OutlineOf(const MQOModel& model) {
    DocumentOutline outline;
    outline.code_page = model.code_page;
    outline.objects.reserve(size_t(model.ObjectCount()));
    for (int j = 0; j < model.ObjectCount(); ++j) {
        const MQOObject& object = *model.ObjectAt(j);
        outline.objects.push_back({object.name, object.visible != 0, object.depth,
                                   object.VertexCount() > 0 && object.FaceCount() > 0,
                                   object.shading != 0, object.facet});
    }
    for (int i = 0; i < model.MaterialCount(); ++i) {
        const MQOMaterial& material = *model.MaterialAt(i);
        outline.materials.push_back({material.name, material.tex, material.alpha, material.bump,
                                     (material.flags & MQOMaterial::kFlagDoubleSided) != 0});
    }
    return outline;
}
