// What three.js's OBJLoader and MTLLoader make of .obj files, as a page
// loading them from a server would:
//   node three_obj.mjs THREE_PACKAGE_FOLDER FILE.obj...
// prints one JSON line per file: the material libraries the .obj names,
// which of them were found, the materials each defines with whether its
// diffuse map was found, and the materials the meshes use. A name is looked
// for as a URL relative to the file that names it, so '#', '?' and '%' mean
// what they mean in a URL.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const three = process.argv[2];
const { OBJLoader } = await import(
    pathToFileURL(path.join(three, 'examples/jsm/loaders/OBJLoader.js')));
const { MTLLoader } = await import(
    pathToFileURL(path.join(three, 'examples/jsm/loaders/MTLLoader.js')));

// The file a reference relative to `from` fetches, or null when there is
// none (a fragment or query cut it, a '%' decodes to nothing).
function fetched(reference, from) {
    try {
        const file = fileURLToPath(new URL(reference, pathToFileURL(from)));
        return fs.statSync(file).isFile() ? file : null;
    } catch {
        return null;
    }
}

function describe(objPath) {
    const group = new OBJLoader().parse(fs.readFileSync(objPath, 'utf8'));
    const libraries = {};
    for (const library of group.materialLibraries) {
        const file = fetched(library, objPath);
        if (file === null) {
            libraries[library] = null;
            continue;
        }
        const creator = new MTLLoader().parse(fs.readFileSync(file, 'utf8'), '');
        const materials = {};
        for (const [name, info] of Object.entries(creator.materialsInfo)) {
            materials[name] = info.map_kd === undefined ? null : fetched(info.map_kd, file) !== null;
        }
        libraries[library] = materials;
    }
    const used = new Set();
    group.traverse((node) => {
        if (!node.isMesh) return;
        for (const material of [node.material].flat()) used.add(material.name);
    });
    return { file: objPath, libraries, used: [...used].sort() };
}

for (const file of process.argv.slice(3)) console.log(JSON.stringify(describe(file)));
