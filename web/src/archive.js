// Compressed documents (.mqoz) opened as `varnel import` opens them: the
// archive's directory read and its member names checked by zip.js, the
// document chosen, its claimed size checked before anything is inflated, and
// only that member inflated (by the browser's DecompressionStream, through
// zip.js), never past the size it claims, its CRC checked. The refusals and
// their sentences are the command's (archive/zip_reading.cpp).
import {
  ZipReader,
  Uint8ArrayReader,
  Writer,
  configure,
} from '@zip.js/zip.js/lib/zip-no-worker-inflate.js';

// No worker: a worker's script would be one more thing the page loads.
configure({ useWebWorkers: false });

// A member may claim no more than this many times the archive's size, nor
// more than 2 GiB: deflate packs text ten to twenty times, so a larger claim
// is a zip bomb rather than a document.
const LARGEST_RATIO = 64;
const LARGEST_DOCUMENT = 2 ** 31;
const NAMES_TOLD = 16;

export class ArchiveError extends Error {}

// The first bytes of a zip archive: a local file header, or the end record
// an archive without members starts with. The command tells an archive by
// these, not by its name.
export function startsAsArchive(bytes) {
  return (
    bytes.length >= 4 &&
    bytes[0] === 0x50 &&
    bytes[1] === 0x4b &&
    ((bytes[2] === 3 && bytes[3] === 4) || (bytes[2] === 5 && bytes[3] === 6))
  );
}

// A name as an error shows it: a control character stands as '?'.
function shown(name) {
  return name.replace(/[\u0000-\u001f\u007f]/g, '?');
}

const isSlash = (c) => c === '/' || c === '\\';

function baseName(name) {
  const parts = name.split(/[/\\]/);
  return parts[parts.length - 1];
}

// An absolute path, a drive letter or a ".." step, with either slash.
export function leavesItsFolder(name) {
  if (name.length > 0 && isSlash(name[0])) return true;
  if (/^[A-Za-z]:/.test(name)) return true;
  return name.split(/[/\\]/).includes('..');
}

// As the command reads a name the archive does not flag as UTF-8: valid
// UTF-8 as it is, else code page 932 where every byte decodes (the modelling
// program writes names so on a Japanese system), else CP437 as zip.js reads
// it.
function decodedName(entry) {
  if (entry.filenameUTF8) return entry.filename;
  for (const encoding of ['utf-8', 'shift_jis']) {
    try {
      return new TextDecoder(encoding, { fatal: true }).decode(entry.rawFilename);
    } catch {
      // not this code page
    }
  }
  return entry.filename;
}

function namesSeen(members) {
  if (members.length === 0) return 'it holds no member';
  let text = 'members seen: ' + members.slice(0, NAMES_TOLD).map((m) => shown(m.name)).join(', ');
  if (members.length > NAMES_TOLD) text += ` and ${members.length - NAMES_TOLD} more`;
  return text;
}

function listMembers(entries) {
  const members = [];
  for (const entry of entries) {
    const name = decodedName(entry);
    const raw = new TextDecoder('latin1').decode(entry.rawFilename);
    if (leavesItsFolder(name) || leavesItsFolder(raw)) {
      throw new ArchiveError(
        `member "${shown(name)}" names a path outside the archive's folder; refused`,
      );
    }
    if (name.length > 0 && isSlash(name[name.length - 1])) continue;
    members.push({ name, entry });
  }
  return members;
}

// The member named after the archive (a.mqoz holds a.mqo, in any letter
// case, in any folder), else the only document member.
function chooseDocument(members, archiveName) {
  const stem = baseName(archiveName).replace(/\.[^.]*$/, '');
  const ownName = stem + '.mqo';
  const base = (m) => baseName(m.name);
  const named = members.filter((m) => base(m).toLowerCase() === ownName.toLowerCase());
  const documents = members.filter((m) => base(m).length > 4 && /\.mqo$/i.test(base(m)));
  const candidates = named.length > 0 ? named : documents;
  if (candidates.length === 1) return candidates[0];
  if (candidates.length === 0) {
    throw new ArchiveError('no document (.mqo) in the archive; ' + namesSeen(members));
  }
  throw new ArchiveError(
    `several documents (.mqo) in the archive and none alone named ${ownName}; ` +
      namesSeen(members),
  );
}

function checkClaims(member, archiveSize) {
  const { entry } = member;
  if (entry.encrypted) {
    throw new ArchiveError(`member ${shown(member.name)} is encrypted, which is not read`);
  }
  const limit = Math.min(archiveSize * LARGEST_RATIO, LARGEST_DOCUMENT);
  if (entry.uncompressedSize > limit) {
    throw new ArchiveError(
      `member ${shown(member.name)} claims ${entry.uncompressedSize} bytes, more than 64 times ` +
        'the archive or 2 GiB; refused as a likely zip bomb',
    );
  }
}

// Takes the inflated bytes into a buffer of the claimed size, and refuses
// one byte more.
class ClaimedSizeWriter extends Writer {
  constructor(member) {
    super();
    this.member = member;
    this.bytes = new Uint8Array(member.entry.uncompressedSize);
    this.size = 0;
  }
  writeUint8Array(chunk) {
    if (this.size + chunk.length > this.bytes.length) {
      throw new ArchiveError(`member ${shown(this.member.name)} holds more than the size it claims`);
    }
    this.bytes.set(chunk, this.size);
    this.size += chunk.length;
  }
  getData() {
    return this.bytes;
  }
}

async function inflate(member) {
  const writer = new ClaimedSizeWriter(member);
  try {
    await member.entry.getData(writer, { checkSignature: true, useWebWorkers: false });
  } catch (error) {
    if (error instanceof ArchiveError) throw error;
    const why = /signature/i.test(error.message) ? 'CRC error' : error.message;
    throw new ArchiveError(`member ${shown(member.name)} cannot be read: ${why}`);
  }
  if (writer.size < writer.bytes.length) {
    throw new ArchiveError(`member ${shown(member.name)} ends before the size it claims`);
  }
  return writer.bytes;
}

// The document in the archive's bytes, which archiveName names; an
// ArchiveError says why not, in a sentence that does not name the archive.
export async function takeDocumentOut(archiveName, bytes) {
  let entries;
  try {
    entries = await new ZipReader(new Uint8ArrayReader(bytes), {
      useWebWorkers: false,
    }).getEntries();
  } catch (error) {
    throw new ArchiveError(`not a readable zip archive, damaged or cut short (${error.message})`);
  }
  const member = chooseDocument(listMembers(entries), archiveName);
  checkClaims(member, bytes.length);
  return inflate(member);
}
