// Whole files for the export tests, and the corpus documents this build can
// afford to run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

std::string ReadWholeFile(const std::string& path);
// Makes the folders on the way.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// The documents of ../shared/corpus; under the sanitizers, which slow
// everything down several times, without the large ones, left to the plain
// build.
std::vector<std::filesystem::path> CorpusForThisBuild();
