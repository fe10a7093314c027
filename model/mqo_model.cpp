#include "model/mqo_model.h"

#include "model/report.h"

MQOModel::~MQOModel() {
    ForgetReportModel(this);
}

MQOObject* MQOModel::ObjectAt(int index) const {
    if (index < 0 || index >= ObjectCount()) return nullptr;
    return objects[static_cast<size_t>(index)].get();
}

MQOObject* MQOModel::AddObject() {
    objects.push_back(std::make_unique<MQOObject>());
    objects.back()->model = this;
    return objects.back().get();
}

MQOMaterial* MQOModel::MaterialAt(int index) const {
    if (index < 0 || index >= MaterialCount()) return nullptr;
    return materials[static_cast<size_t>(index)].get();
}

MQOMaterial* MQOModel::AddMaterial() {
    materials.push_back(std::make_unique<MQOMaterial>());
    return materials.back().get();
}

void MQOModel::UpdateTotals() {
    face_total = 0;
    vertex_total = 0;
    triangle_total = 0;
    for (const auto& object : objects) {
        object->UpdateTriangleCount();
        vertex_total = WrappingAdd(vertex_total, object->VertexCount());
        face_total = WrappingAdd(face_total, object->FaceCount());
        triangle_total = WrappingAdd(triangle_total, object->triangle_count);
    }
}
