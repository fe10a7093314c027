#include "export/assimp_file.h"

#include <assimp/Exporter.hpp>
#include <cstring>
#include <memory>

#include "export/assimp_scene.h"
#include "export/checked_io_system.h"

Status WriteAssimpFile(const ExportScene& scene, const SceneFormat& format, const std::string& file,
                       const std::vector<std::string>& beside_names) {
    const std::unique_ptr<aiScene> ai = AssimpScene(scene, format, beside_names);
    int write_error = 0;
    Assimp::Exporter exporter;
    exporter.SetIOHandler(new CheckedIOSystem(&write_error));  // the exporter owns it
    if (exporter.Export(ai.get(), format.assimp_id, file) != AI_SUCCESS) {
        return Status::Failure(std::string("the writer failed: ") + exporter.GetErrorString());
    }
    if (write_error != 0) {
        return Status::Failure("cannot write " + file + ": " + std::strerror(write_error));
    }
    return {};
}
