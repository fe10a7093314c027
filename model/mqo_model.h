// One document in memory. Owns its objects and materials; lives as long as
// the loader that made it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/code_page.h"
#include "model/mqo_material.h"
#include "model/mqo_message_sink.h"
#include "model/mqo_object.h"
#include "model/mqo_scene.h"

struct MQOModel {
    std::vector<std::unique_ptr<MQOObject>> objects;
    std::vector<std::unique_ptr<MQOMaterial>> materials;
    MQOScene scene;
    int32_t face_total = 0;
    int32_t vertex_total = 0;
    int32_t triangle_total = 0;
    // The code page of every text the document holds (names, map paths), as
    // its CodePage line declares it.
    int32_t code_page = kCodePageJapanese;
    MQOMessageSink message_sink;

    MQOModel() = default;
    MQOModel(const MQOModel&) = delete;
    MQOModel& operator=(const MQOModel&) = delete;
    ~MQOModel();

    int ObjectCount() const { return static_cast<int>(objects.size()); }
    MQOObject* ObjectAt(int index) const;
    MQOObject* AddObject();

    int MaterialCount() const { return static_cast<int>(materials.size()); }
    MQOMaterial* MaterialAt(int index) const;
    MQOMaterial* AddMaterial();

    // Recounts faces, vertices and triangles over all objects.
    void UpdateTotals();
};
