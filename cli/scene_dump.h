// The host scene as the "nodes" and "materials" arrays of the scene dump
// (`varnel import --json`).
#pragma once

#include <cstdio>
#include <string>

class HostScene;
class JsonWriter;

// The value of "nodes": every node added to the scene, in order.
void WriteNodesJson(JsonWriter& json, const HostScene& scene);
// The value of "materials": every material and map made, in creation order.
void WriteMaterialsJson(JsonWriter& json, const HostScene& scene);

// The same values appended to a string. With a spill file, out is written to
// it and emptied whenever it passes a megabyte, so a large mesh's text is
// never held whole; out then ends with the text not yet written.
void AppendNodesJson(std::string& out, const HostScene& scene, std::FILE* spill = nullptr);
void AppendMaterialsJson(std::string& out, const HostScene& scene);
