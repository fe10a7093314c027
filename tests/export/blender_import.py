# What Blender makes of exported files, opened with its stock importers as a
# user would: blender -b --factory-startup --python blender_import.py --
# REPORT.json FILE...  Each file is opened in an empty scene of its own; the
# report lists, per file, whether the importer finished and the objects it
# made, and for the mesh objects their triangles, material slots, whether
# they carry UVs and the box around them in world space; and per material
# its colours and the pictures it shows.

# Debian's numpy no longer has numpy.bool, which Blender 3.4's importers use.
import numpy
numpy.bool = bool

import json
import os
import sys

import bpy


def import_file(path):
    extension = os.path.splitext(path)[1].lower()
    if extension == ".fbx":
        return bpy.ops.import_scene.fbx(filepath=path)
    if extension in (".glb", ".gltf"):
        return bpy.ops.import_scene.gltf(filepath=path)
    if extension == ".dae":
        return bpy.ops.wm.collada_import(filepath=path)
    if extension == ".obj":
        if hasattr(bpy.ops.wm, "obj_import"):
            return bpy.ops.wm.obj_import(filepath=path)
        return bpy.ops.import_scene.obj(filepath=path)
    raise RuntimeError("no importer for " + extension)


def world_box(ob):
    mesh = ob.data
    count = len(mesh.vertices)
    if count == 0:
        return None
    co = numpy.empty(count * 3, dtype=numpy.float64)
    mesh.vertices.foreach_get("co", co)
    co = co.reshape(count, 3)
    matrix = numpy.array(ob.matrix_world, dtype=numpy.float64)
    world = co @ matrix[:3, :3].T + matrix[:3, 3]
    return [world.min(axis=0).tolist(), world.max(axis=0).tolist()]


def describe_object(ob):
    entry = {"name": ob.name, "type": ob.type,
             "parent": ob.parent.name if ob.parent else None}
    if ob.type == "MESH":
        mesh = ob.data
        entry["triangles"] = sum(p.loop_total - 2 for p in mesh.polygons)
        entry["materials"] = [s.material.name if s.material else None
                              for s in ob.material_slots]
        entry["uvs"] = len(mesh.uv_layers) > 0
        entry["box"] = world_box(ob)
    return entry


def principled(material):
    if not material.use_nodes or material.node_tree is None:
        return None
    for node in material.node_tree.nodes:
        if node.type == "BSDF_PRINCIPLED":
            return node
    return None


def describe_material(material):
    entry = {"name": material.name}
    bsdf = principled(material)
    if bsdf is not None:
        entry["base"] = list(bsdf.inputs["Base Color"].default_value)[:3]
        entry["alpha"] = bsdf.inputs["Alpha"].default_value
        entry["emission"] = list(bsdf.inputs["Emission"].default_value)[:3]
    # The pictures it shows that Blender found and read.
    entry["images"] = sorted(
        os.path.basename(node.image.filepath) for node in material.node_tree.nodes
        # size reads the picture, which Blender otherwise loads only when drawn
        if node.type == "TEX_IMAGE" and node.image is not None and node.image.size[0] > 0
    ) if material.node_tree is not None else []
    return entry


def describe(path):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    try:
        result = import_file(path)
    except Exception as error:  # the importer's own failure, told as it says it
        return {"file": path, "opened": False, "error": str(error).strip()}
    return {"file": path, "opened": "FINISHED" in result,
            "objects": [describe_object(ob) for ob in bpy.context.scene.objects],
            "materials": [describe_material(m) for m in bpy.data.materials]}


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    report = [describe(path) for path in args[1:]]
    with open(args[0] + ".part", "w", encoding="utf-8") as out:
        json.dump(report, out, ensure_ascii=False)
    os.replace(args[0] + ".part", args[0])


main()
