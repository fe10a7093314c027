// The page: the files the user opens or drops, the import dialog's options,
// the model shown with its objects, materials and the importer's messages,
// and the .glb to save. Nothing the user opens leaves the machine: files are
// read in the page and the module, three.js and zip.js are inside it.
import { filesFromDrop, filesFromInput, chooseDocument } from './files.js';
import { loadImporter, importDocument, BOXES, ImporterFailure } from './importer.js';
import { ArchiveError, startsAsArchive, takeDocumentOut } from './archive.js';
import { glbJson, objectsOf, materialsOf } from './glb_contents.js';
import { View } from './view.js';

const $ = (id) => document.getElementById(id);
const count = (n) => n.toLocaleString('en-US');
const plural = (n, word) => `${count(n)} ${word}${n === 1 ? '' : 's'}`;

// A failure the user is told about in a sentence of their own.
class Refusal extends Error {}

function setStatus(text) {
  $('status').textContent = text;
}

// The dialog's boxes and the command's other import options, as set; the
// module refuses a scale the command would refuse.
function readOptions() {
  const options = { includeHidden: $('include-hidden').checked };
  for (const box of BOXES) options[box] = $(box).checked;
  options.scale = $('scale').value.trim();
  return options;
}

function stemOf(path) {
  return path.split('/').pop().replace(/\.[^.]*$/, '');
}

// The document: the file itself, or its bytes out of an archive. An archive
// is told by its first bytes, as the command tells it.
async function documentOf(documentFile) {
  const { file } = documentFile;
  if (!startsAsArchive(new Uint8Array(await file.slice(0, 4).arrayBuffer()))) return file;
  try {
    return await takeDocumentOut(documentFile.path, new Uint8Array(await file.arrayBuffer()));
  } catch (error) {
    if (error instanceof ArchiveError) throw new Refusal(`${documentFile.path}: ${error.message}`);
    throw error;
  }
}

function listObjects(objects, meshesOfNode, view) {
  const list = $('objects');
  list.replaceChildren();
  for (const object of objects) {
    const item = document.createElement('li');
    const label = document.createElement('label');
    const toggle = document.createElement('input');
    toggle.type = 'checkbox';
    toggle.checked = true;
    toggle.addEventListener('change', () =>
      view.setVisible(meshesOfNode.get(object.index) || [], toggle.checked),
    );
    label.append(toggle, ` ${object.name} `);
    const triangles = document.createElement('span');
    triangles.className = 'count';
    triangles.textContent = plural(object.triangles, 'triangle');
    label.append(triangles);
    item.append(label);
    list.append(item);
  }
}

function listMaterials(materials) {
  const list = $('materials');
  list.replaceChildren();
  for (const material of materials) {
    const item = document.createElement('li');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = material.colour;
    item.append(swatch, ` ${material.name}`);
    if (material.picture) item.append(` (${material.picture})`);
    list.append(item);
  }
}

class Page {
  constructor() {
    this.view = new View($('view'));
    // Made ready as the page opens, before anyone gives a document.
    this.startImporter();
    this.saved = null;
    this.busy = Promise.resolve();
    $('open').addEventListener('change', (event) => {
      this.open(filesFromInput(event.target.files));
      event.target.value = '';
    });
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      this.open(filesFromDrop(event.dataTransfer));
    });
    $('download').addEventListener('click', () => this.download());
  }

  // A module of its own, for the next document.
  startImporter() {
    this.importer = loadImporter();
    this.importer.then(
      () => { if (this.phases === undefined) setStatus('ready: open a document'); },
      (error) => setStatus(`error: the importer could not be started: ${error.message || error}`),
    );
  }

  // One load at a time, in the order asked; files may be still to come.
  open(files) {
    this.busy = this.busy
      .then(async () => this.load(await files))
      .catch((error) => setStatus(`error: the files could not be read: ${error.message || error}`));
    return this.busy;
  }

  async load(files) {
    const started = performance.now();
    // Where the time of the last load went, in milliseconds, for the
    // benchmark (bench/web_bench.mjs).
    const phases = {};
    let last = started;
    const phase = (name) => {
      const now = performance.now();
      phases[name] = now - last;
      last = now;
    };
    this.phases = phases;
    $('download').disabled = true;
    $('messages').textContent = '';
    this.saved = null;
    try {
      const documentFile = chooseDocument(files);
      if (documentFile === null) {
        throw new Refusal('no document (.mqo or .mqoz) among the files given');
      }
      setStatus(`reading ${documentFile.path}`);
      const options = readOptions();
      const source = await documentOf(documentFile);
      phase('read');
      const importer = await this.importer;
      phase('module');
      const beside = files.filter((f) => f !== documentFile);
      const result = await importDocument(importer, documentFile.path, source, beside, options);
      phase('import');
      $('messages').textContent = result.messages;
      if (result.error) throw new Refusal(result.error);
      const json = glbJson(result.glb);
      const objects = objectsOf(json);
      listObjects(objects, await this.view.show(result.glb), this.view);
      listMaterials(materialsOf(json));
      phase('show');
      this.saved = { name: `${stemOf(documentFile.path)}.glb`, glb: result.glb };
      $('download').disabled = false;
      const triangles = objects.reduce((sum, o) => sum + o.triangles, 0);
      const seconds = ((performance.now() - started) / 1000).toFixed(2);
      setStatus(`shown ${plural(objects.length, 'object')}, ${plural(triangles, 'triangle')} ` +
        `from ${documentFile.path} in ${seconds} s`);
    } catch (error) {
      this.view.clear();
      $('objects').replaceChildren();
      $('materials').replaceChildren();
      let why = error instanceof Refusal ? error.message : `something went wrong: ${error.message || error}`;
      if (error instanceof ImporterFailure) {
        why = `the importer failed: ${error.message}`;
        this.startImporter();
      }
      setStatus(`error: ${why}`);
    }
  }

  download() {
    if (this.saved === null) return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([this.saved.glb], { type: 'model/gltf-binary' }));
    link.download = this.saved.name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }
}

window.varnelPage = new Page();
