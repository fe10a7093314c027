// One document in memory. Owns its objects and materials; lives as long as
// the loader that made it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
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
    // Messages are code page 932 text, as the host shows them. A program
    // that shows them sets how a name of the document is put into one; a
    // model without it puts the document's bytes.
    using NameConversion = const char* (*)(int32_t code_page, const char* text,
                                           std::string& storage);
    NameConversion message_names = nullptr;

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

    // A name of the document as a message shows it; storage may hold it.
    const char* NameInMessages(const char* name, std::string& storage) const {
        return message_names != nullptr ? message_names(code_page, name, storage) : name;
    }

    // Recounts faces, vertices and triangles over all objects.
    void UpdateTotals();
};
