// What the object and material lists show, read from the .glb's own JSON:
// the names as the writer wrote them (decoded from the document's code
// page), each node's triangles and each material's colour and picture.

export function glbJson(glb) {
  const view = new DataView(glb.buffer, glb.byteOffset, glb.byteLength);
  const length = view.getUint32(12, true);
  return JSON.parse(new TextDecoder().decode(glb.subarray(20, 20 + length)));
}

function trianglesOf(json, meshIndex) {
  if (meshIndex === undefined) return 0;
  return json.meshes[meshIndex].primitives.reduce(
    (sum, p) => sum + (p.indices === undefined ? 0 : json.accessors[p.indices].count / 3),
    0,
  );
}

// The document's objects, in the file's order: every node with a mesh. The
// root, node 0, which the writer names "Scene", and the groups (objects
// without faces kept for those below them) have none, nothing to show or hide.
export function objectsOf(json) {
  return (json.nodes || [])
    .map((node, index) => ({ index, name: node.name || '', triangles: trianglesOf(json, node.mesh) }))
    .filter(({ index }) => json.nodes[index].mesh !== undefined);
}

export function materialsOf(json) {
  return (json.materials || []).map((material) => {
    const pbr = material.pbrMetallicRoughness || {};
    const [r, g, b] = pbr.baseColorFactor || [1, 1, 1, 1];
    const texture = pbr.baseColorTexture ? json.textures[pbr.baseColorTexture.index] : null;
    const image = texture ? json.images[texture.source] : null;
    return {
      name: material.name || '',
      colour: `rgb(${Math.round(r * 255)}, ${Math.round(g * 255)}, ${Math.round(b * 255)})`,
      picture: image ? image.name || '(embedded)' : '',
    };
  });
}
