// Reading back what the exports write, and making the pictures they read:
// one place for the .glb's chunks, folder listings and encoded pictures.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The JSON chunk of a .glb's bytes, which follows the 12-byte header and
// its own length and type words; a discarded value when the bytes hold none.
nlohmann::json GlbJsonOf(const std::string& glb);
// The same, of the .glb file at path.
nlohmann::json GlbJson(const std::string& path);

// The paths of everything under dir, relative to it, sorted.
std::vector<std::string> Entries(const std::string& dir);

// Pixels (rows top down, channels bytes each) encoded in the picture format
// an extension names, in any letter case: ".bmp", ".jpg" (".jpeg"), ".tga"
// or ".png"; empty for others.
std::string EncodedPicture(const std::string& extension, int width, int height, int channels,
                           const uint8_t* pixels);

// A picture file decoded into RGB rows; no pixels when it does not decode.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};
RgbPicture DecodedRgb(const std::string& path);
