// The files the user gives, with the paths they had relative to each other:
// those of the file input (a folder chosen whole keeps its relative paths)
// or those dropped on the page, folders walked through.

export function filesFromInput(fileList) {
  return Array.from(fileList, (file) => ({ path: file.webkitRelativePath || file.name, file }));
}

function readEntries(reader) {
  return new Promise((resolve, reject) => reader.readEntries(resolve, reject));
}

function fileOf(entry) {
  return new Promise((resolve, reject) => entry.file(resolve, reject));
}

async function walk(entry, into) {
  if (entry.isFile) {
    into.push({ path: entry.fullPath.replace(/^\/+/, ''), file: await fileOf(entry) });
    return;
  }
  const reader = entry.createReader();
  // A folder's entries come a batch at a time, until an empty batch.
  for (let batch = await readEntries(reader); batch.length > 0; batch = await readEntries(reader)) {
    for (const child of batch) await walk(child, into);
  }
}

export async function filesFromDrop(dataTransfer) {
  const entries = Array.from(dataTransfer.items || [])
    .map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null))
    .filter(Boolean);
  if (entries.length === 0) return filesFromInput(dataTransfer.files);
  const files = [];
  for (const entry of entries) await walk(entry, files);
  return files;
}

const DOCUMENT = /\.mqoz?$/i;

// The document to import: the first .mqo or .mqoz in path order, nearest
// the top of what was given.
export function chooseDocument(files) {
  const documents = files.filter((f) => DOCUMENT.test(f.path));
  documents.sort((a, b) => a.path.split('/').length - b.path.split('/').length ||
    (a.path < b.path ? -1 : a.path > b.path ? 1 : 0));
  return documents[0] || null;
}

export function isDocumentName(path) {
  return DOCUMENT.test(path) || /\.mqx$/i.test(path);
}
