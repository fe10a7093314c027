// The corpus documents this build can afford to run.
#pragma once

#include <filesystem>
#include <vector>

// The documents of ../shared/corpus; under the sanitizers, which slow
// everything down several times, without the large ones, left to the plain
// build.
std::vector<std::filesystem::path> CorpusForThisBuild();
