// The files the user gives, with the paths they had relative to each other:
// those of the file input (a folder chosen whole keeps its relative paths)
// or those dropped on the page, folders walked through.

export function filesFromInput(fileList) {
  return Array.from(fileList, (file) => ({ path: file.webkitRelativePath || file.name, file }));
}

// Through the File System Access handles where the browser has them
// (chromium, which refuses the older entries below on a page opened from
// disk), else through the entries of the File and Directory Entries API.
async function walkHandle(handle, path, into) {
  if (handle.kind === 'file') {
    into.push({ path, file: await handle.getFile() });
    return;
  }
  for await (const [name, child] of handle.entries()) await walkHandle(child, `${path}/${name}`, into);
}

function readEntries(reader) {
  return new Promise((resolve, reject) => reader.readEntries(resolve, reject));
}

function fileOf(entry) {
  return new Promise((resolve, reject) => entry.file(resolve, reject));
}

async function walkEntry(entry, into) {
  if (entry.isFile) {
    into.push({ path: entry.fullPath.replace(/^\/+/, ''), file: await fileOf(entry) });
    return;
  }
  const reader = entry.createReader();
  // A folder's entries come a batch at a time, until an empty batch.
  for (let batch = await readEntries(reader); batch.length > 0; batch = await readEntries(reader)) {
    for (const child of batch) await walkEntry(child, into);
  }
}

// The drop's items are read at once, while the event lasts; their contents
// may come later. Dropped files alone, without their folders, are the last
// resort.
export async function filesFromDrop(dataTransfer) {
  const items = Array.from(dataTransfer.items || []).filter((item) => item.kind === 'file');
  const flat = filesFromInput(dataTransfer.files);
  const handles = items.map((item) => item.getAsFileSystemHandle?.()).filter(Boolean);
  const entries = items.map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
  const files = [];
  try {
    if (handles.length > 0) {
      for (const handle of await Promise.all(handles)) await walkHandle(handle, handle.name, files);
      return files;
    }
    for (const entry of entries) await walkEntry(entry, files);
    return entries.length > 0 ? files : flat;
  } catch {
    return flat;
  }
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
