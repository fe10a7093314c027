#include "blender_report.h"

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "support/temp_dir.h"

using nlohmann::json;

// VARNEL_BLENDER is what CMake found, or empty.
std::string BlenderMissing() {
    const std::string blender = VARNEL_BLENDER;
    std::error_code error;
    if (blender.empty() || !std::filesystem::exists(blender, error)) {
        return "Blender is missing: run tools/setup.sh (Debian's blender and python3-numpy), "
               "then configure the build again";
    }
    return "";
}

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

BlenderObject ObjectOf(const json& entry) {
    BlenderObject object;
    object.name = entry.value("name", "");
    object.type = entry.value("type", "");
    if (entry["parent"].is_string()) object.parent = entry["parent"];
    object.triangles = entry.value("triangles", size_t{0});
    for (const json& material : entry.value("materials", json::array())) {
        object.materials.push_back(material.is_string() ? material.get<std::string>() : "");
    }
    object.uvs = entry.value("uvs", false);
    object.corners = entry.value("corners", size_t{0});
    object.smoothed_alike = entry.value("smoothed_alike", size_t{0});
    if (entry.contains("box") && entry["box"].is_array()) {
        std::array<double, 6> box{};
        for (size_t i = 0; i < 6; ++i) box[i] = entry["box"][i / 3][i % 3];
        object.box = box;
    }
    return object;
}

std::array<double, 3> Rgb(const json& entry, const char* key) {
    std::array<double, 3> rgb{};
    if (entry.contains(key) && entry[key].is_array()) {
        for (size_t i = 0; i < 3; ++i) rgb[i] = entry[key][i];
    }
    return rgb;
}

BlenderMaterial MaterialOf(const json& entry) {
    BlenderMaterial material;
    material.name = entry.value("name", "");
    material.base = Rgb(entry, "base");
    material.emission = Rgb(entry, "emission");
    material.alpha = entry.value("alpha", 1.0);
    material.images = entry.value("images", std::vector<std::string>());
    return material;
}

}  // namespace

std::vector<BlenderFile> OpenInBlender(const std::vector<std::string>& paths, std::string& why,
                                       const SmoothingAngles& angles) {
    TempDir dir;
    const std::string report = dir / "report.json", log = dir / "blender.log";
    // A hung Blender ends the run rather than the test program's time.
    std::string command = "timeout 900 " + Quoted(VARNEL_BLENDER) +
                          " -b --factory-startup --python-exit-code 1 --python " +
                          Quoted(VARNEL_BLENDER_SCRIPT) + " -- " + Quoted(report);
    if (!angles.empty()) {
        json given = json::object();
        for (const auto& [path, objects] : angles) {
            for (const auto& [name, angle] : objects) {
                given[path][name] = angle ? json(*angle) : json(nullptr);
            }
        }
        WriteFile(dir / "angles.json", given.dump());
        command += " --smoothing " + Quoted(dir / "angles.json");
    }
    for (const std::string& path : paths) command += " " + Quoted(path);
    const int status = std::system((command + " >" + Quoted(log) + " 2>&1 </dev/null").c_str());
    const std::string text = ReadFile(report);
    if (status != 0 || text.empty()) {
        const std::string said = ReadFile(log);
        why = "Blender failed (status " + std::to_string(status) + "):\n" +
              said.substr(said.size() > 4000 ? said.size() - 4000 : 0);
        return {};
    }
    std::vector<BlenderFile> files;
    for (const json& entry : json::parse(text)) {
        BlenderFile file;
        file.path = entry.value("file", "");
        file.opened = entry.value("opened", false);
        file.error = entry.value("error", "");
        for (const json& object : entry.value("objects", json::array())) {
            file.objects.push_back(ObjectOf(object));
        }
        for (const json& material : entry.value("materials", json::array())) {
            file.materials.push_back(MaterialOf(material));
        }
        files.push_back(std::move(file));
    }
    return files;
}
