// The importer in WebAssembly (web/varnel_web.cpp): the document's bytes go
// into the module's memory once, the files beside it into the module's file
// system under the paths they were given with, so that the map search finds
// the pictures as the command finds them on disk; what comes back is the
// .glb the command writes, the importer's messages, or why it failed.
import createVarnel from 'varnel-wasm';
import { isDocumentName } from './files.js';

// Below a folder two levels deep: the map search never looks at the root or
// a folder right below it.
export const ROOT = '/varnel/files';

// A grid of n x n quads with texture coordinates, as the modelling program
// writes a document.
function gridDocument(n) {
  const lines = ['Metasequoia Document', 'Format Text Ver 1.0', 'Object "warm-up" {',
    `\tvertex ${(n + 1) ** 2} {`];
  for (let y = 0; y <= n; ++y) {
    for (let x = 0; x <= n; ++x) lines.push(`\t\t${(x * 1.25).toFixed(4)} ${(y * 0.75).toFixed(4)} 0.0000`);
  }
  lines.push('\t}', `\tface ${n * n} {`);
  for (let y = 0; y < n; ++y) {
    for (let x = 0; x < n; ++x) {
      const v = y * (n + 1) + x;
      const [u0, u1, v0, v1] = [x / n, (x + 1) / n, y / n, (y + 1) / n].map((t) => t.toFixed(5));
      lines.push(`\t\t4 V(${v} ${v + 1} ${v + n + 2} ${v + n + 1}) M(0) ` +
        `UV(${u0} ${v0} ${u1} ${v0} ${u1} ${v1} ${u0} ${v1})`);
    }
  }
  lines.push('\t}', '}', 'Eof', '');
  return new TextEncoder().encode(lines.join('\r\n'));
}

// The module, compiled and warmed up. The browser first runs WebAssembly
// through a quick baseline compiler and optimises a function only once it
// has run enough, and never while a call of it is running: the reader's
// loop, running through a whole document in one call, would stay in the
// baseline code for the user's first document, which took twice as long.
// So a small document is imported as the page opens, and the functions an
// import keeps busy are optimised before the user gives one.
export async function loadImporter() {
  const module = await createVarnel();
  const grid = gridDocument(60);
  for (let round = 0; round < 20; ++round) {
    await importDocument(module, 'warm-up.mqo', grid, [], { ...DEFAULTS, scale: '1' });
  }
  return module;
}

function removeTree(FS, path) {
  for (const name of FS.readdir(path)) {
    if (name === '.' || name === '..') continue;
    const child = `${path}/${name}`;
    if (FS.isDir(FS.stat(child).mode)) {
      removeTree(FS, child);
      FS.rmdir(child);
    } else {
      FS.unlink(child);
    }
  }
}

// Lays the files out under ROOT. Other documents are there by name alone:
// only pictures are read, and a document may be large.
async function layOut(FS, files) {
  FS.mkdirTree(ROOT);
  removeTree(FS, ROOT);
  for (const { path, file } of files) {
    const full = `${ROOT}/${path}`;
    FS.mkdirTree(full.slice(0, full.lastIndexOf('/')));
    const bytes = isDocumentName(path) ? new Uint8Array(0) : new Uint8Array(await file.arrayBuffer());
    FS.writeFile(full, bytes);
  }
}

// Bit b of the dialog's boxes, in its order, and the dialog's defaults.
export const BOXES = ['useMaterialOnly', 'sameUvCollect', 'freezeMirror', 'freezeCatmull'];
const DEFAULTS = { useMaterialOnly: true, sameUvCollect: true, freezeMirror: true, freezeCatmull: false };

// Copies the document into the module's memory at a block of its own: a
// File is read there a piece at a time, so that its bytes are copied once
// and never held whole outside the module.
async function copyIn(module, source) {
  const size = source.size ?? source.length;
  const at = module._malloc(Math.max(size, 1));
  if (at === 0) throw new Error('the document does not fit in the page\'s memory');
  if (!(source instanceof Blob)) {
    module.HEAPU8.set(source, at);
    return { at, size };
  }
  const reader = source.stream().getReader();
  let done = 0;
  for (let piece = await reader.read(); !piece.done; piece = await reader.read()) {
    if (done + piece.value.length > size) break;  // the file grew while being read
    module.HEAPU8.set(piece.value, at + done);
    done += piece.value.length;
  }
  return { at, size: done };
}

// What the module throws is caught in it; this is what it cannot catch: a
// JavaScript error thrown through it (from its file system, say) or a trap.
// Such an error leaves the module's memory as it stood, so the module that
// threw is no longer used.
export class ImporterFailure extends Error {
  constructor(cause) {
    super(cause?.message || String(cause));
  }
}

// One import of the document (a File or bytes) as the document at
// documentPath, the other files laid out beside it. options: the four
// boxes, includeHidden, scale (the text of the command's --scale, which the
// module checks as the command does).
export async function importDocument(module, documentPath, source, files, options) {
  await layOut(module.FS, files);
  const boxes = BOXES.reduce((bits, box, b) => bits | (options[box] ? 1 << b : 0), 0);
  const document = await copyIn(module, source);
  // The module frees the document's bytes once it has read them.
  let result;
  try {
    result = module.ccall(
      'varnel_import',
      'number',
      ['string', 'number', 'number', 'number', 'number', 'string'],
      [`${ROOT}/${documentPath}`, document.at, document.size, boxes, options.includeHidden ? 1 : 0,
        options.scale],
    );
  } catch (error) {
    throw new ImporterFailure(error);
  }
  if (result === 0) throw new Error('the document does not fit in the page\'s memory');
  try {
    const glbAt = module._varnel_glb(result);
    const glbSize = module._varnel_glb_size(result);
    const tidy = (text) => text.split(`${ROOT}/`).join('');
    return {
      glb: module.HEAPU8.slice(glbAt, glbAt + glbSize),
      error: tidy(module.UTF8ToString(module._varnel_error(result))),
      messages: tidy(module.UTF8ToString(module._varnel_messages(result))),
    };
  } finally {
    module._varnel_release(result);
  }
}
