// Small documents built through the model API, and a host to import them into.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "builder/scene_builder.h"
#include "builder/trace.h"
#include "host/max.h"
#include "model/mqo_model.h"
#include "support/add_face.h"

// An object with vertex k at (k, 2k, 3k).
inline MQOObject* AddObjectWithVertices(MQOModel& model, int vertex_count,
                                        const char* name = "obj") {
    MQOObject* object = model.AddObject();
    object->AssignName(name);
    for (int k = 0; k < vertex_count; ++k) object->AddVertex(Point3f(k, 2.0f * k, 3.0f * k));
    return object;
}

inline void SetUVs(MQOFace& face, std::initializer_list<Point2f> uvs) {
    int c = 0;
    for (const Point2f& uv : uvs) face.uv[c++] = uv;
    face.has_uv = 1;
}

inline MQOMaterial* AddMaterial(MQOModel& model, const char* name) {
    MQOMaterial* material = model.AddMaterial();
    material->AssignName(name);
    return material;
}

inline ImportOptions Options(int use_material_only, int same_uv_collect) {
    return ImportOptions{use_material_only, same_uv_collect, 1, 1, 0};
}

// One import into a host of its own.
struct Import {
    HostScene host;
    int result = 0;

    Import(MQOModel& model, ImportOptions options, const char* directory = "") {
        result = SetMQOModel(BuildSettings{options, directory}, model, host.GetImpInterface(),
                             host.GetInterface());
    }
    const std::vector<INode*>& nodes() const { return host.SceneNodes(); }
    Mesh& mesh(size_t node) const {
        return static_cast<TriObject*>(host.SceneNodes().at(node)->GetObjectRef())->mesh;
    }
    template <typename M>
    M* material(size_t index) const {
        return dynamic_cast<M*>(host.Materials().at(index).get());
    }
};

// Collects trace lines while it lives.
struct TraceLog {
    std::vector<std::string> lines;
    TraceLog() {
        SetTraceSink(MQOMessageSink::ForUser(this, [](void* user, const char* text) {
            static_cast<TraceLog*>(user)->lines.push_back(text);
        }));
    }
    ~TraceLog() { SetTraceSink(MQOMessageSink{}); }
    std::string all() const {
        std::string text;
        for (const auto& line : lines) text += line;
        return text;
    }
};
