#include "model/mqo_object.h"

#include "model/text.h"

void MQOObject::AssignName(const char* text, int32_t code_page) {
    CopyText(name, text, code_page);
}

MQOFace* MQOObject::FaceAt(int index) const {
    if (index < 0 || index >= FaceCount()) return nullptr;
    return faces[static_cast<size_t>(index)].get();
}

MQOFace* MQOObject::AddFace() {
    faces.push_back(std::make_unique<MQOFace>());
    return faces.back().get();
}

MQOVertexColor* MQOObject::VertexColorAt(int index) const {
    if (index < 0 || index >= VertexColorCount()) return nullptr;
    return vertex_colors[static_cast<size_t>(index)].get();
}

MQOVertexColor* MQOObject::AddVertexColor() {
    vertex_colors.push_back(std::make_unique<MQOVertexColor>());
    return vertex_colors.back().get();
}

MQOVertexWeight* MQOObject::AddVertexWeight() {
    vertex_weights.push_back(std::make_unique<MQOVertexWeight>());
    return vertex_weights.back().get();
}

void MQOObject::UpdateTriangleCount() {
    triangle_count = 0;
    for (const auto& face : faces) {
        triangle_count = WrappingAdd(triangle_count, WrappingAdd(face->count, -2));
    }
}
