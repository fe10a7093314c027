// Builds without Assimp never reach here: WriteSceneFile refuses the formats
// that are not WrittenHere before it writes anything.
#include "export/assimp_file.h"

Status WriteAssimpFile(const ExportScene&, const SceneFormat& format, const std::string&,
                       const std::vector<std::string>&) {
    return Status::Failure(std::string("this build has no writer of ") + format.extension +
                           " files");
}
