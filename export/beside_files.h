// Map pictures written beside an exported file. The folder may hold the
// user's own files, and other processes may write into it at the same time,
// so each picture takes a name of its own, claimed as it is moved there,
// and never replaces a file that is there.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_scene.h"
#include "export/temporary_file.h"
#include "model/status.h"

struct BesideFile {
    size_t image = 0;      // into ExportScene::images
    std::string name;      // in the output's folder
    bool present = false;  // a file of that name there holds these bytes already
};

// One per carried picture, in image order, named
// "<output stem>_<picture's file stem>.png" (or .jpg) in ASCII letters,
// digits, '-', '_' and '.', any other run of bytes becoming '_'; "-2",
// "-3"... is added until the name is taken by no other picture and is free
// in the folder or names a file there with the same bytes (an earlier export
// of the same scene), which is then kept as it is. Fails when no name is
// free. A name free now may be taken before the picture is moved there
// (ClaimName); the export then names its pictures again.
Status NameBesideFiles(const ExportScene& scene, const std::vector<bool>& carried,
                       const std::filesystem::path& target, std::vector<BesideFile>& out);

// What a name beside the output holds, against the bytes meant for it.
enum class NameHolds { kNothing, kSameBytes, kOther };
NameHolds WhatIsAt(const std::filesystem::path& path, const std::string& bytes);
