// Blender 3.4 opening exported files with its stock importers
// (blender_import.py), one Blender process for many files.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct BlenderObject {
    std::string name;
    std::string type;    // MESH, EMPTY...
    std::string parent;  // empty at the top
    size_t triangles = 0;
    std::vector<std::string> materials;  // per slot, in order
    bool uvs = false;
    std::optional<std::array<double, 6>> box;  // low x y z, high x y z, world space
    // With smoothing angles given: its corners (of faces with area), and how
    // many of them are smooth or flat as Blender's auto smooth makes them.
    size_t corners = 0, smoothed_alike = 0;
};

struct BlenderMaterial {
    std::string name;
    std::array<double, 3> base{}, emission{};  // the Principled BSDF's colours
    double alpha = 1.0;
    std::vector<std::string> images;  // file names of the pictures Blender read
};

struct BlenderFile {
    std::string path;
    bool opened = false;
    std::string error;  // what the importer said when it failed
    std::vector<BlenderObject> objects;
    std::vector<BlenderMaterial> materials;
};

// What keeps Blender from running (not found when the build was
// configured, or gone since), with how to get it; empty when it is there.
std::string BlenderMissing();

// Per file path, per object name its smoothing angle in radians, or
// nothing for a flat object.
using SmoothingAngles = std::map<std::string, std::map<std::string, std::optional<double>>>;

// One report per path, in order; empty, with why, when Blender did not run
// to the end. The objects named in angles also tell their corners.
std::vector<BlenderFile> OpenInBlender(const std::vector<std::string>& paths, std::string& why,
                                       const SmoothingAngles& angles = {});
