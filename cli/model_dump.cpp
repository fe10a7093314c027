#include "cli/model_dump.h"

#include "model/mqo_model.h"

namespace {

void WritePoint(JsonWriter& json, const Point3f& p) {
    const float values[] = {p.x, p.y, p.z};
    json.Floats(values, 3);
}

void WriteColor(JsonWriter& json, const Color4f& c) {
    const float values[] = {c.r, c.g, c.b, c.a};
    json.Floats(values, 4);
}

void WriteScene(JsonWriter& json, const MQOScene& s) {
    json.BeginObject();
    json.Key("pos");
    WritePoint(json, s.pos);
    json.Key("lookat");
    WritePoint(json, s.lookat);
    json.Key("head");
    json.Float(s.head);
    json.Key("pich");
    json.Float(s.pich);
    json.Key("pers");
    json.Float(s.pers);
    json.Key("ortho");
    json.Int(s.ortho);
    json.Key("zoom");
    json.Float(s.zoom);
    json.Key("zoom2");
    json.Float(s.zoom2);
    json.Key("amb");
    json.Floats(s.amb, 3);
    json.EndObject();
}

void WriteMaterial(JsonWriter& json, const MQOMaterial& m) {
    json.BeginObject();
    json.Key("name");
    json.Cp932String(m.name);
    json.Key("flags");
    json.Int(m.flags);
    json.Key("uid");
    json.Int(m.uid);
    json.Key("col");
    WriteColor(json, m.col);
    json.Key("shader");
    json.Int(m.shader);
    const std::pair<const char*, float> factors[] = {
        {"dif", m.dif}, {"amb", m.amb}, {"emi", m.emi}, {"spc", m.spc}, {"power", m.power}};
    for (const auto& [key, value] : factors) {
        json.Key(key);
        json.Float(value);
    }
    json.Key("proj_type");
    json.Int(m.proj_type);
    json.Key("proj_pos");
    WritePoint(json, m.proj_pos);
    json.Key("proj_scale");
    WritePoint(json, m.proj_scale);
    json.Key("proj_angle");
    WritePoint(json, m.proj_angle);
    json.Key("tex");
    json.Cp932String(m.tex);
    json.Key("alpha");
    json.Cp932String(m.alpha);
    json.Key("bump");
    json.Cp932String(m.bump);
    json.EndObject();
}

void WriteFace(JsonWriter& json, const MQOFace& f) {
    int corners =
        f.count < 0 ? 0 : (f.count > MQOFace::kMaxCorners ? MQOFace::kMaxCorners : f.count);
    json.BeginObject();
    json.Key("count");
    json.Int(f.count);
    json.Key("material");
    json.Int(f.material);
    json.Key("v");
    json.Ints(f.v, corners);
    json.Key("uv");
    json.BeginArray();
    for (int i = 0; i < corners; ++i) {
        const float uv[] = {f.uv[i].u, f.uv[i].v};
        json.Floats(uv, 2);
    }
    json.EndArray();
    json.Key("col");
    json.BeginArray();
    for (int i = 0; i < corners; ++i) WriteColor(json, f.col[i]);
    json.EndArray();
    const std::pair<const char*, int32_t> flags[] = {{"has_uv", f.has_uv},
                                                     {"has_col", f.has_col},
                                                     {"has_material", f.has_material},
                                                     {"uid", f.uid},
                                                     {"has_uid", f.has_uid}};
    for (const auto& [key, value] : flags) {
        json.Key(key);
        json.Int(value);
    }
    json.EndObject();
}

void WriteObject(JsonWriter& json, const MQOObject& o) {
    json.BeginObject();
    json.Key("name");
    json.Cp932String(o.name);
    const std::pair<const char*, int32_t> head[] = {{"uid", o.uid},         {"visible", o.visible},
                                                    {"locking", o.locking}, {"patch", o.patch},
                                                    {"segment", o.segment}, {"shading", o.shading}};
    for (const auto& [key, value] : head) {
        json.Key(key);
        json.Int(value);
    }
    json.Key("facet");
    json.Float(o.facet);
    json.Key("color");
    WriteColor(json, o.color);
    json.Key("color_type");
    json.Int(o.color_type);
    json.Key("mirror");
    json.Int(o.mirror);
    json.Key("mirror_axis");
    json.Int(o.mirror_axis);
    json.Key("mirror_dis");
    json.Float(o.mirror_dis);
    const std::pair<const char*, int32_t> tail[] = {{"lathe", o.lathe},
                                                    {"lathe_axis", o.lathe_axis},
                                                    {"lathe_seg", o.lathe_seg},
                                                    {"depth", o.depth},
                                                    {"folding", o.folding}};
    for (const auto& [key, value] : tail) {
        json.Key(key);
        json.Int(value);
    }
    json.Key("scale");
    WritePoint(json, o.scale);
    json.Key("rotation");
    WritePoint(json, o.rotation);
    json.Key("translation");
    WritePoint(json, o.translation);
    json.Key("triangle_count");
    json.Int(o.triangle_count);

    json.Key("vertices");
    json.BeginArray();
    for (const Point3f& p : o.vertices) WritePoint(json, p);
    json.EndArray();
    json.Key("vertex_uids");
    json.BeginArray();
    for (int32_t uid : o.vertex_uids) json.Int(uid);
    json.EndArray();
    json.Key("vertex_colors");
    json.BeginArray();
    for (const auto& c : o.vertex_colors) {
        json.BeginArray();
        json.Int(c->vertex);
        for (uint8_t byte : c->rgba) json.Int(byte);
        json.EndArray();
    }
    json.EndArray();
    json.Key("vertex_weights");
    json.BeginArray();
    for (const auto& w : o.vertex_weights) {
        json.BeginArray();
        json.Int(w->vertex);
        json.Float(w->weight);
        json.EndArray();
    }
    json.EndArray();
    json.Key("faces");
    json.BeginArray();
    for (const auto& f : o.faces) WriteFace(json, *f);
    json.EndArray();
    json.EndObject();
}

}  // namespace

void WriteModelDump(JsonWriter& json, int result, const std::vector<std::string>& messages,
                    const MQOModel& model) {
    json.BeginObject();
    json.Key("result");
    json.Int(result);
    json.Key("messages");
    json.BeginArray();
    for (const std::string& text : messages) {
        std::string line = text;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        json.Cp932String(line.c_str());
    }
    json.EndArray();
    json.Key("totals");
    json.BeginObject();
    json.Key("face");
    json.Int(model.face_total);
    json.Key("vertex");
    json.Int(model.vertex_total);
    json.Key("triangle");
    json.Int(model.triangle_total);
    json.EndObject();
    json.Key("scene");
    WriteScene(json, model.scene);
    json.Key("materials");
    json.BeginArray();
    for (const auto& m : model.materials) WriteMaterial(json, *m);
    json.EndArray();
    json.Key("objects");
    json.BeginArray();
    for (const auto& o : model.objects) WriteObject(json, *o);
    json.EndArray();
    json.EndObject();
}
