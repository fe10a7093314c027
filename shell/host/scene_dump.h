// The host scene as the "nodes" and "materials" arrays of the scene dump
// (`varnel import --json`).
#pragma once

#include <string>

class HostScene;

// The value of "nodes": every node added to the scene, in order.
void AppendNodesJson(std::string& out, const HostScene& scene);
// The value of "materials": every material and map made, in creation order.
void AppendMaterialsJson(std::string& out, const HostScene& scene);
