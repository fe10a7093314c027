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
    json.FloatField("head", s.head);
    json.FloatField("pich", s.pich);
    json.FloatField("pers", s.pers);
    json.IntField("ortho", s.ortho);
    json.FloatField("zoom", s.zoom);
    json.FloatField("zoom2", s.zoom2);
    json.Key("amb");
    json.Floats(s.amb, 3);
    json.EndObject();
}

void WriteMaterial(JsonWriter& json, const MQOMaterial& m, int32_t code_page) {
    json.BeginObject();
    json.DocumentTextField("name", m.name, code_page);
    json.IntField("flags", m.flags);
    json.IntField("uid", m.uid);
    json.Key("col");
    WriteColor(json, m.col);
    json.IntField("shader", m.shader);
    json.FloatField("dif", m.dif);
    json.FloatField("amb", m.amb);
    json.FloatField("emi", m.emi);
    json.FloatField("spc", m.spc);
    json.FloatField("power", m.power);
    json.IntField("proj_type", m.proj_type);
    json.Key("proj_pos");
    WritePoint(json, m.proj_pos);
    json.Key("proj_scale");
    WritePoint(json, m.proj_scale);
    json.Key("proj_angle");
    WritePoint(json, m.proj_angle);
    json.DocumentTextField("tex", m.tex, code_page);
    json.DocumentTextField("alpha", m.alpha, code_page);
    json.DocumentTextField("bump", m.bump, code_page);
    json.EndObject();
}

void WriteFace(JsonWriter& json, const MQOFace& f) {
    int corners =
        f.count < 0 ? 0 : (f.count > MQOFace::kMaxCorners ? MQOFace::kMaxCorners : f.count);
    json.BeginObject();
    json.IntField("count", f.count);
    json.IntField("material", f.material);
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
    json.IntField("has_uv", f.has_uv);
    json.IntField("has_col", f.has_col);
    json.IntField("has_material", f.has_material);
    json.IntField("uid", f.uid);
    json.IntField("has_uid", f.has_uid);
    json.EndObject();
}

void WriteObject(JsonWriter& json, const MQOObject& o, int32_t code_page) {
    json.BeginObject();
    json.DocumentTextField("name", o.name, code_page);
    json.IntField("uid", o.uid);
    json.IntField("visible", o.visible);
    json.IntField("locking", o.locking);
    json.IntField("patch", o.patch);
    json.IntField("segment", o.segment);
    json.IntField("shading", o.shading);
    json.FloatField("facet", o.facet);
    json.Key("color");
    WriteColor(json, o.color);
    json.IntField("color_type", o.color_type);
    json.IntField("mirror", o.mirror);
    json.IntField("mirror_axis", o.mirror_axis);
    json.FloatField("mirror_dis", o.mirror_dis);
    json.IntField("lathe", o.lathe);
    json.IntField("lathe_axis", o.lathe_axis);
    json.IntField("lathe_seg", o.lathe_seg);
    json.IntField("depth", o.depth);
    json.IntField("folding", o.folding);
    json.Key("scale");
    WritePoint(json, o.scale);
    json.Key("rotation");
    WritePoint(json, o.rotation);
    json.Key("translation");
    WritePoint(json, o.translation);
    json.IntField("triangle_count", o.triangle_count);

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

void WriteModelDump(JsonWriter& json, int result, const KeptMessages& messages,
                    const MQOModel& model) {
    json.BeginObject();
    json.IntField("result", result);
    json.Key("messages");
    json.BeginArray();
    for (const std::string& text : messages.texts) {
        std::string line = text;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        json.Cp932String(line.c_str());
    }
    if (messages.dropped > 0) json.Cp932String(MoreMessages(messages.dropped).c_str());
    json.EndArray();
    json.Key("totals");
    json.BeginObject();
    json.IntField("face", model.face_total);
    json.IntField("vertex", model.vertex_total);
    json.IntField("triangle", model.triangle_total);
    json.EndObject();
    json.Key("scene");
    WriteScene(json, model.scene);
    json.Key("materials");
    json.BeginArray();
    for (const auto& m : model.materials) WriteMaterial(json, *m, model.code_page);
    json.EndArray();
    json.Key("objects");
    json.BeginArray();
    for (const auto& o : model.objects) WriteObject(json, *o, model.code_page);
    json.EndArray();
    json.EndObject();
}
