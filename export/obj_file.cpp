#include "export/obj_file.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unordered_set>

#include "export/axes.h"
#include "export/file_swap.h"
#include "export/material_from_host.h"
#include "export/material_look.h"
#include "model/file_path.h"
#include "model/utf8.h"

namespace {

void PutText(std::string& out, const char* text) {
    out.append(text, std::strlen(text));
}

// The shortest text that reads back as the same float; -0 as 0.
void PutNumber(std::string& out, float value) {
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, value + 0.0f).ptr;
    out.append(text, size_t(end - text));
}

void PutIndex(std::string& out, uint32_t index) {
    char text[16];
    char* end = std::to_chars(text, text + sizeof text, index).ptr;
    out.append(text, size_t(end - text));
}

void PutLine(std::string& out, const char* keyword, const float* values, size_t count) {
    PutText(out, keyword);
    for (size_t i = 0; i < count; ++i) {
        out += ' ';
        PutNumber(out, values[i]);
    }
    out += '\n';
}

template <size_t N>
void PutLine(std::string& out, const char* keyword, const std::array<float, N>& values) {
    PutLine(out, keyword, values.data(), N);
}

// The .obj's text, handed to its file a block at a time, so that a scene
// of millions of vertices never has its whole text in memory.
class BlockOut {
   public:
    explicit BlockOut(WholeFile& file) : file_(file) { text.reserve(kBlockBytes + kLineBytes); }

    // Hands the text on once it fills a block; called after each line.
    void LineDone() {
        if (text.size() >= kBlockBytes) Spill();
    }
    void Spill() {
        file_.Put(text.data(), text.size());
        text.clear();
    }

    std::string text;

   private:
    // A block is as large as what WholeFile writes without copying it; a
    // line of numbers takes at most a few hundred bytes.
    static constexpr size_t kBlockBytes = size_t{1} << 20;
    static constexpr size_t kLineBytes = 4096;

    WholeFile& file_;
};

// Whether a reader may take the character for a blank or act on it: the C0
// and C1 controls, DEL, the space separators, the line and paragraph
// separators and the byte order mark.
bool IsBlankOrControl(uint32_t code) {
    return code <= 0x20 || (code >= 0x7F && code <= 0xA0) || code == 0x1680 ||
           (code >= 0x2000 && code <= 0x200A) || code == 0x2028 || code == 0x2029 ||
           code == 0x202F || code == 0x205F || code == 0x3000 || code == 0xFEFF;
}

// The UTF-8 text with '_' for each character keep refuses and for each byte
// that is no part of a well-formed character, which a lenient reader might
// decode as a control.
std::string Underscored(std::string_view text, bool (*keep)(uint32_t code)) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const Utf8Character c = Utf8CharacterAt(text, at);
        if (c.valid && keep(c.code)) {
            out.append(text, at, c.bytes);
        } else {
            out += '_';
        }
        at += c.bytes;
    }
    return out;
}

// The names statements refer to, each once: a clash after blanks became
// '_' ("a b" and "a_b"), or a name the document gives twice, takes "-2",
// "-3"..., since readers join statements of one name into one object or
// material.
class UniqueNames {
   public:
    std::string Take(const std::string& name, const char* fallback) {
        const std::string base = ObjName(name, fallback);
        std::string candidate = base;
        for (int n = 2; !taken_.insert(candidate).second; ++n) {
            candidate = base + "-" + std::to_string(n);
        }
        return candidate;
    }

   private:
    std::unordered_set<std::string> taken_;
};

// Values of one kind ("v", "vt", "vn") within an object, each written once
// and numbered across the whole file, as OBJ counts them. Equal values
// share a number, so the faces of an object meet at their corners where the
// welded meshes split them for another normal, texture coordinate or
// material. An open-addressing table of numbers into a list of the values:
// a few bytes a value, where a node-based map takes several times that.
template <size_t N>
class ValuePool {
   public:
    using Value = std::array<float, N>;

    // Lines carry the first `written` values of each; all N tell values apart.
    explicit ValuePool(const char* keyword, size_t written = N)
        : keyword_(keyword), written_(written) {}

    // Starts an object of at most `count` values; those of the one before
    // are no longer shared.
    void Begin(size_t count) {
        first_ += uint32_t(keys_.size());
        keys_.clear();
        size_t slots = 16;
        while (slots < 2 * count) slots *= 2;
        slots_.assign(slots, 0);
    }

    // The value's number, its line written to out when it is new.
    uint32_t Number(const Value& value, std::string& out) {
        Key key;
        for (size_t c = 0; c < N; ++c) {
            const float v = value[c] + 0.0f;  // -0 and 0 are one value
            std::memcpy(&key[c], &v, sizeof v);
        }
        const size_t mask = slots_.size() - 1;
        for (size_t slot = Hash(key) & mask;; slot = (slot + 1) & mask) {
            const uint32_t held = slots_[slot];  // 1 + its place in keys_, or 0
            if (held == 0) {
                keys_.push_back(key);
                slots_[slot] = uint32_t(keys_.size());
                PutLine(out, keyword_, value.data(), written_);
                return first_ + uint32_t(keys_.size()) - 1;
            }
            if (keys_[held - 1] == key) return first_ + held - 1;
        }
    }

   private:
    using Key = std::array<uint32_t, N>;

    static size_t Hash(const Key& key) {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (const uint32_t word : key) h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        return size_t(h ^ (h >> 29));
    }

    const char* keyword_;
    size_t written_;
    std::vector<Key> keys_;
    std::vector<uint32_t> slots_;
    uint32_t first_ = 1;
};

// Per vertex of a mesh, its numbers in the three pools; 0 for none.
struct Corner {
    uint32_t v = 0, vt = 0, vn = 0;
};

void PutCorner(std::string& out, const Corner& corner) {
    out += ' ';
    PutIndex(out, corner.v);
    if (corner.vt == 0 && corner.vn == 0) return;
    out += '/';
    if (corner.vt != 0) PutIndex(out, corner.vt);
    if (corner.vn == 0) return;
    out += '/';
    PutIndex(out, corner.vn);
}

// Each mesh's new values, then its faces, so that every number a face names
// is written above it, as readers need. Every vertex carries a colour,
// "v x y z r g b", when any does: Assimp's reader looks a vertex's colour up
// by its number.
struct ObjWriter {
    explicit ObjWriter(bool colored) : positions("v", colored ? 6 : 3) {}

    ValuePool<6> positions;
    ValuePool<2> uvs{"vt"};
    ValuePool<3> normals{"vn"};
    std::vector<Corner> corners;

    void Mesh(const ExportMesh& mesh, const std::string& material, BlockOut& out) {
        const size_t count = mesh.positions.size();
        corners.assign(count, Corner{});
        for (size_t i = 0; i < count; ++i) {
            const Vec3 p = ToAxes(mesh.positions[i], UpAxis::kY);
            const Vec4 c = i < mesh.colors.size() ? mesh.colors[i] : Vec4{1, 1, 1, 1};
            corners[i].v = positions.Number({p[0], p[1], p[2], c[0], c[1], c[2]}, out.text);
            out.LineDone();
        }
        for (size_t i = 0; i < count && i < mesh.uvs.size(); ++i) {
            corners[i].vt = uvs.Number(mesh.uvs[i], out.text);
            out.LineDone();
        }
        for (size_t i = 0; i < count && i < mesh.normals.size(); ++i) {
            corners[i].vn = normals.Number(ToAxes(mesh.normals[i], UpAxis::kY), out.text);
            out.LineDone();
        }
        PutText(out.text, "usemtl ");
        out.text += material;
        out.text += '\n';
        for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
            out.text += 'f';
            for (size_t s = 0; s < 3; ++s) PutCorner(out.text, corners[mesh.indices[t + s]]);
            out.text += '\n';
            out.LineDone();
        }
    }

    void Object(const ExportNode& node, const std::string& name,
                const std::vector<std::string>& materials, BlockOut& out) {
        PutText(out.text, "o ");
        out.text += name;
        out.text += '\n';
        size_t vertices = 0;
        for (const ExportMesh& mesh : node.meshes) vertices += mesh.positions.size();
        positions.Begin(vertices);
        uvs.Begin(vertices);
        normals.Begin(vertices);
        for (const ExportMesh& mesh : node.meshes) {
            const size_t m = size_t(mesh.material);
            Mesh(mesh, m < materials.size() ? materials[m] : materials.front(), out);
        }
    }
};

bool AnyColours(const ExportScene& scene) {
    for (const ExportNode& node : scene.nodes) {
        for (const ExportMesh& mesh : node.meshes) {
            if (!mesh.colors.empty()) return true;
        }
    }
    return false;
}

void PutMap(std::string& out, const char* keyword, const ExportMap& map,
            const std::vector<std::string>& picture_names) {
    if (map.image < 0 || size_t(map.image) >= picture_names.size()) return;
    const std::string& name = picture_names[size_t(map.image)];
    if (name.empty()) return;
    PutText(out, keyword);
    out += ' ';
    out += name;
    out += '\n';
}

// The host's look in MTL's terms, as the other formats have it
// (material_look.h): the surface colour, the Phong exponent, the opacity as
// "d", a self-illuminated surface glowing in its colour and its map.
void PutMaterial(std::string& out, const ExportMaterial& m, const std::string& name,
                 const std::vector<std::string>& picture_names) {
    PutText(out, "newmtl ");
    out += name;
    out += '\n';
    PutLine(out, "Ka", m.ambient);
    PutLine(out, "Kd", SurfaceColour(m));
    PutLine(out, "Ks", m.specular);
    PutLine(out, "Ns", std::array<float, 1>{PhongExponent(m)});
    PutLine(out, "d", std::array<float, 1>{m.opacity});
    PutLine(out, "Ke", EmissiveColour(m));
    PutText(out, "illum 2\n");
    PutMap(out, "map_Kd", m.diffuse_map, picture_names);
    if (m.self_illum > 0.0f) PutMap(out, "map_Ke", m.diffuse_map, picture_names);
    PutMap(out, "map_d", m.opacity_map, picture_names);
    PutMap(out, "map_Bump", m.bump_map, picture_names);
    out += '\n';
}

}  // namespace

std::string ObjName(const std::string& name, const char* fallback) {
    const std::string out =
        Underscored(name, [](uint32_t code) { return !IsBlankOrControl(code); });
    return out.empty() ? fallback : out;
}

std::string MaterialLibraryName(const std::string& main_name) {
    const std::string stem = Underscored(TextOf(PathOf(main_name).stem()), [](uint32_t code) {
        return code >= 0x80
                   ? !IsBlankOrControl(code)
                   : (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
                         (code >= '0' && code <= '9') || code == '-' || code == '_' || code == '.';
    });
    return stem + ".mtl";
}

Status WriteObjFiles(const ExportScene& scene, const std::filesystem::path& dir,
                     const std::string& main_name, const std::vector<std::string>& picture_names) {
    std::vector<ExportMaterial> defaults;
    if (scene.materials.empty()) defaults.push_back(DefaultMaterial());
    const std::vector<ExportMaterial>& materials = defaults.empty() ? scene.materials : defaults;

    UniqueNames material_names;
    std::vector<std::string> names;
    std::string mtl = "# Varnel\n\n";
    for (const ExportMaterial& m : materials) {
        names.push_back(material_names.Take(m.name, "material"));
        PutMaterial(mtl, m, names.back(), picture_names);
    }
    const std::string mtl_name = MaterialLibraryName(main_name);
    if (Status written = WriteFileWhole(TextOf(dir / PathOf(mtl_name)), mtl); !written.ok()) {
        return written;
    }

    WholeFile obj(TextOf(dir / PathOf(main_name)));
    BlockOut out(obj);
    PutText(out.text, "# Varnel\nmtllib ");
    out.text += mtl_name;
    out.text += '\n';
    ObjWriter writer(AnyColours(scene));
    UniqueNames object_names;
    for (const ExportNode& node : scene.nodes) {
        // OBJ keeps no tree, so an object kept for its children holds nothing.
        if (node.meshes.empty()) continue;
        writer.Object(node, object_names.Take(node.name, "object"), names, out);
    }
    out.Spill();
    return obj.Finish();
}
