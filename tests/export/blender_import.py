# What Blender makes of exported files, opened with its stock importers as a
# user would: blender -b --factory-startup --python blender_import.py --
# REPORT.json FILE...  Each file is opened in an empty scene of its own; the
# report lists, per file, whether the importer finished and the objects it
# made, and for the mesh objects their triangles, material slots, whether
# they carry UVs and the box around them in world space; and per material
# its colours and the pictures it shows.
#
# With --smoothing ANGLES.json before the files (per file, per object name
# its smoothing angle in radians, or null when it is flat), a mesh object
# named there also tells how many of its corners are smooth or flat as
# Blender's own auto smooth at that angle makes them over its faces with
# area.

# Debian's numpy no longer has numpy.bool, which Blender 3.4's importers use.
import numpy
numpy.bool = bool

import json
import math
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


def without_copy_number(name):
    """Blender tells objects of one name apart by ".001", ".002"..."""
    if len(name) > 4 and name[-4] == "." and name[-3:].isdigit():
        return name[:-4]
    return name


def describe_object(ob, angles):
    entry = {"name": ob.name, "type": ob.type,
             "parent": ob.parent.name if ob.parent else None}
    if ob.type == "MESH":
        mesh = ob.data
        entry["triangles"] = sum(p.loop_total - 2 for p in mesh.polygons)
        entry["materials"] = [s.material.name if s.material else None
                              for s in ob.material_slots]
        entry["uvs"] = len(mesh.uv_layers) > 0
        entry["box"] = world_box(ob)
        for name in (ob.name, without_copy_number(ob.name)):
            if name in angles:
                entry["corners"], entry["smoothed_alike"] = \
                    smoothing_agreement(mesh, angles[name])
                break
    return entry


def loop_normals(mesh):
    mesh.calc_normals_split()
    normals = numpy.empty(len(mesh.loops) * 3, dtype=numpy.float64)
    mesh.loops.foreach_get("normal", normals)
    return normals.reshape(-1, 3)


def polygon_arrays(mesh):
    count = len(mesh.polygons)
    start = numpy.empty(count, dtype=numpy.int64)
    total = numpy.empty(count, dtype=numpy.int64)
    mesh.polygons.foreach_get("loop_start", start)
    mesh.polygons.foreach_get("loop_total", total)
    normals = numpy.empty(count * 3, dtype=numpy.float64)
    mesh.polygons.foreach_get("normal", normals)
    return start, total, normals.reshape(-1, 3)


def polygons_with_area(mesh):
    """Per polygon, whether it has area: its corners, worked in double, are
    neither in one line nor at one point."""
    co = numpy.empty(len(mesh.vertices) * 3, dtype=numpy.float64)
    mesh.vertices.foreach_get("co", co)
    co = co.reshape(-1, 3)
    loop_vertex = numpy.empty(len(mesh.loops), dtype=numpy.int64)
    mesh.loops.foreach_get("vertex_index", loop_vertex)
    start, total, _ = polygon_arrays(mesh)
    polygon = numpy.repeat(numpy.arange(len(start)), total)
    first = co[loop_vertex[start[polygon]]]
    following = numpy.arange(len(loop_vertex)) + 1
    last = following == start[polygon] + total[polygon]
    following[last] = start[polygon][last]
    twice_area = numpy.zeros((len(start), 3))
    numpy.add.at(twice_area, polygon,
                 numpy.cross(co[loop_vertex] - first,
                             co[loop_vertex[following]] - first))
    return ~numpy.all(twice_area == 0.0, axis=1)


def auto_smooth_normals(mesh, angle, with_area):
    """Per loop of mesh, its normal under auto smooth at angle (None: flat)
    on a copy of its polygons with area, vertices merged by position,
    without custom normals; NaN for the loops of the other polygons. A
    polygon without area shows nothing, and Blender would weigh its normal,
    made of rounding noise, into its neighbours' by a corner angle of up to
    180 degrees."""
    co = numpy.empty(len(mesh.vertices) * 3, dtype=numpy.float64)
    mesh.vertices.foreach_get("co", co)
    merged, vertex_of = numpy.unique(co.reshape(-1, 3), axis=0,
                                     return_inverse=True)
    loop_vertex = numpy.empty(len(mesh.loops), dtype=numpy.int64)
    mesh.loops.foreach_get("vertex_index", loop_vertex)
    loop_vertex = vertex_of.reshape(-1)[loop_vertex]
    start, total, _ = polygon_arrays(mesh)
    kept, faces = [], []
    for s, t, area in zip(start.tolist(), total.tolist(), with_area.tolist()):
        face = loop_vertex[s:s + t].tolist()
        if area and len(set(face)) == t:
            kept.append(s)
            faces.append(face)
    copy = bpy.data.meshes.new("auto smooth reference")
    copy.from_pydata(merged.tolist(), [], faces)
    copy.polygons.foreach_set("use_smooth", [angle is not None] * len(faces))
    copy.use_auto_smooth = True
    copy.auto_smooth_angle = min(angle or 0.0, math.pi)
    normals = loop_normals(copy)
    out = numpy.full((len(mesh.loops), 3), numpy.nan)
    copy_start, _, _ = polygon_arrays(copy)
    for s, c, face in zip(kept, copy_start.tolist(), faces):
        out[s:s + len(face)] = normals[c:c + len(face)]
    bpy.data.meshes.remove(copy)
    return out


def smoothing_agreement(mesh, angle):
    """How many corners of polygons with area there are, and how many of
    them are smooth or flat as auto smooth at angle makes them: a corner is
    smooth when its normal leans more than 1 degree from its polygon's."""
    start, total, face_normals = polygon_arrays(mesh)
    loop_face = numpy.repeat(numpy.arange(len(start)), total)
    face = face_normals[loop_face]
    limit = math.cos(math.radians(1.0))
    ours = numpy.sum(loop_normals(mesh) * face, axis=1) < limit
    reference = auto_smooth_normals(mesh, angle, polygons_with_area(mesh))
    counted = ~numpy.isnan(reference[:, 0])
    theirs = numpy.sum(numpy.nan_to_num(reference) * face, axis=1) < limit
    agreeing = numpy.logical_and(counted, ours == theirs)
    return int(counted.sum()), int(agreeing.sum())


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


def describe(path, angles):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    try:
        result = import_file(path)
    except Exception as error:  # the importer's own failure, told as it says it
        return {"file": path, "opened": False, "error": str(error).strip()}
    return {"file": path, "opened": "FINISHED" in result,
            "objects": [describe_object(ob, angles)
                        for ob in bpy.context.scene.objects],
            "materials": [describe_material(m) for m in bpy.data.materials]}


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    angles = {}
    if len(args) > 2 and args[1] == "--smoothing":
        with open(args[2], encoding="utf-8") as given:
            angles = json.load(given)
        del args[1:3]
    report = [describe(path, angles.get(path, {})) for path in args[1:]]
    with open(args[0] + ".part", "w", encoding="utf-8") as out:
        json.dump(report, out, ensure_ascii=False)
    os.replace(args[0] + ".part", args[0])


main()
