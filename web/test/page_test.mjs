// The page in a real browser: Debian's chromium, headless, driven by
// puppeteer-core. It opens build/web/varnel.html from disk, loads documents
// through #open as a user would, and holds the page to what the command
// does: the same .glb bytes, the same refusals of archives and scales, the
// same messages, and no request leaving the page.
//
//   node page_test.mjs PAGE VARNEL VALIDATOR_DIR
//
// Exits 77 (CTest's skip) with a message when chromium, the page, the
// command or the validator is missing; under VARNEL_REQUIRE_ALL=1 that is a
// failure instead.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { existsSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { crc32, deflateSync } from 'node:zlib';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';

const CHROMIUM = '/usr/bin/chromium';  // as browser.mjs launches it
const [page_path, varnel, validator_dir] = process.argv.slice(2).map((p) => (p ? resolve(p) : p));
const samples = join(dirname(fileURLToPath(import.meta.url)), '../../samples');

function skipOrFail(why) {
  if (process.env.VARNEL_REQUIRE_ALL === '1') {
    console.error(`page tests: ${why}, and VARNEL_REQUIRE_ALL=1 forbids skipping`);
    process.exit(1);
  }
  console.log(`page tests skipped: ${why}`);
  process.exit(77);
}
if (!existsSync(CHROMIUM)) skipOrFail(`${CHROMIUM} is missing (apt-get install chromium; tools/web.sh does)`);
if (!page_path || !existsSync(page_path)) skipOrFail(`the page ${page_path} is not built (bash tools/web.sh)`);
if (!varnel || !existsSync(varnel)) skipOrFail(`the varnel command ${varnel} is not built`);
if (!validator_dir || !existsSync(join(validator_dir, 'package.json'))) {
  skipOrFail('the glTF Validator is missing (bash tools/setup.sh installs it)');
}
if (!existsSync(new URL('../node_modules/puppeteer-core/package.json', import.meta.url))) {
  skipOrFail('the page\'s npm packages are missing (bash tools/web.sh installs them)');
}
const { openPage, openFiles, dropPath } = await import('./browser.mjs');
const { zipSync } = await import('fflate');
const validator = createRequire(import.meta.url)(validator_dir);

const work = mkdtempSync(join(tmpdir(), 'varnel-page-'));
const downloads = join(work, 'downloads');
let browser, page, outside, nextDownload;

// A BMP of one colour: the texture whose colour the tests count on the
// canvas. BMP, unlike PNG, needs no codec to write.
function solidBmp(size, [r, g, b]) {
  const row = size * 3 + ((4 - ((size * 3) % 4)) % 4);
  const bytes = Buffer.alloc(54 + row * size);
  bytes.write('BM', 0);
  bytes.writeUInt32LE(bytes.length, 2);
  bytes.writeUInt32LE(54, 10);
  bytes.writeUInt32LE(40, 14);
  bytes.writeInt32LE(size, 18);
  bytes.writeInt32LE(size, 22);
  bytes.writeUInt16LE(1, 26);
  bytes.writeUInt16LE(24, 28);
  bytes.writeUInt32LE(row * size, 34);
  for (let y = 0; y < size; ++y) {
    for (let x = 0; x < size; ++x) bytes.set([b, g, r], 54 + y * row + x * 3);
  }
  return bytes;
}

// Files for one test, in a folder of their own: name -> bytes.
function folderOf(name, files) {
  const dir = join(work, name);
  execFileSync('mkdir', ['-p', dir]);
  for (const [file, bytes] of Object.entries(files)) writeFileSync(join(dir, file), bytes);
  return dir;
}

const open = (dir, names) => openFiles(page, dir, names);

// What the command writes for the same file and options.
function commandGlb(dir, document, options = []) {
  const out = join(dir, 'command.glb');
  execFileSync(varnel, ['import', '--yes', ...options, '--export', out, join(dir, document)], {
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  return readFileSync(out);
}

// Saves through #download; chromium would name a second file of that name
// "name (1)", so an earlier one goes first.
async function download(name) {
  execFileSync('rm', ['-f', join(downloads, name)]);
  const saved = nextDownload();
  await page.click('#download');
  assert.equal(await saved, name);
  return readFileSync(join(downloads, name));
}

async function setOptions(options) {
  await page.evaluate((options) => {
    for (const [id, value] of Object.entries(options)) {
      const input = document.getElementById(id);
      if (input.type === 'checkbox') input.checked = value;
      else input.value = value;
    }
  }, options);
}

// Pixels of the canvas whose colour is the texture's green, lit or in shade.
function greenPixels() {
  return page.evaluate(() => {
    const canvas = document.getElementById('view');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const { data } = context.getImageData(0, 0, copy.width, copy.height);
    let count = 0;
    for (let i = 0; i < data.length; i += 4) {
      if (data[i + 1] > 60 && data[i + 1] > 2 * data[i] && data[i + 1] > 2 * data[i + 2]) ++count;
    }
    return count;
  });
}

before(async () => {
  execFileSync('mkdir', ['-p', downloads]);
  ({ browser, page, outside, nextDownload } = await openPage(page_path, join(work, 'profile'), downloads));
});

after(async () => {
  await browser?.close();
  execFileSync('rm', ['-rf', work]);
});

test('a sample opened with its picture is shown textured, and saved as the command writes it', async () => {
  const dir = folderOf('cube', {
    'cube.mqo': readFileSync(join(samples, 'cube.mqo')),
    'checker.bmp': solidBmp(8, [0, 200, 0]),
  });
  const status = await open(dir, ['cube.mqo', 'checker.bmp']);
  assert.equal(status.replace(/ from .*/, ''), 'shown 1 object, 12 triangles');
  assert.deepEqual(await page.$$eval('#objects li', (items) => items.map((i) => i.textContent.trim())),
    ['cube 12 triangles']);
  assert.match(await page.$eval('#materials', (e) => e.textContent), /checker/);
  // The cube fills a good part of the 800-pixel-high view in its picture's green.
  const green = await greenPixels();
  assert.ok(green > 20000, `only ${green} pixels of the texture's green`);
  const screenshot = join(dirname(page_path), 'screenshot.png');
  await page.screenshot({ path: screenshot });
  console.log(`screenshot: ${screenshot}`);

  // Hiding the only object leaves no green.
  await page.click('#objects input');
  assert.equal(await greenPixels(), 0);

  const saved = await download('cube.glb');
  assert.ok(saved.equals(commandGlb(dir, 'cube.mqo')), 'the saved .glb differs from the command\'s');
  const report = await validator.validateBytes(new Uint8Array(saved), { maxIssues: 0 });
  assert.equal(report.issues.numErrors, 0, JSON.stringify(report.issues.messages.slice(0, 3)));
});

// Numbers past the reader's short path: many digits, and exponents past
// float's range both ways, which the WebAssembly build reads with another
// C++ library than the command's. The object's name is "数字" in code page
// 932, the document's without a CodePage line.
const LONG_NUMBERS = `Metasequoia Document
Format Text Ver 1.0

Object "\x90\x94\x8e\x9a" {
\tvertex 4 {
\t\t0.12345678901234567890123456789 1e-50 -3.4028234663852886e38
\t\t123456789012345678901234567890e-29 2.5e3 0.000000000000000000000000000000000000000000001
\t\t1 1 1e38
\t\t-0.99999999999999999999999999 0 7
\t}
\tface 2 {
\t\t3 V(0 1 2)
\t\t3 V(0 2 3)
\t}
}
Eof
`;

test('the options and a compressed document give the command\'s bytes too', async () => {
  const showcase = readFileSync(join(samples, 'showcase.mqo'));
  const dir = folderOf('showcase', {
    'showcase.mqo': showcase,
    'wood.bmp': solidBmp(4, [150, 90, 30]),
    'showcase.mqoz': zipSync({ 'showcase.mqo': showcase, 'showcase.mqx': new Uint8Array(3) }),
    'long.mqo': Buffer.from(LONG_NUMBERS, 'latin1'),
    'huge.mqo': Buffer.from(LONG_NUMBERS.replace('1e38', '1e39'), 'latin1'),
  });
  await setOptions({ freezeMirror: false, freezeCatmull: true, sameUvCollect: false,
    'include-hidden': true, scale: 'mm' });
  assert.match(await open(dir, ['showcase.mqo', 'wood.bmp']), /^shown/);
  const options = ['--no-freeze-mirror', '--freeze-catmull', '--no-same-uv-collect',
    '--include-hidden', '--scale', 'mm'];
  assert.ok((await download('showcase.glb')).equals(commandGlb(dir, 'showcase.mqo', options)));
  // The document names textures\\wood.bmp; the page found it as the
  // command does, by its name beside the document.
  assert.equal(await page.$eval('#messages', (e) => e.textContent),
    'map textures/wood.bmp taken from wood.bmp\n');

  await setOptions({ freezeMirror: true, freezeCatmull: false, sameUvCollect: true,
    'include-hidden': false, scale: '1' });
  assert.match(await open(dir, ['showcase.mqoz', 'wood.bmp']), /^shown/);
  assert.ok((await download('showcase.glb')).equals(commandGlb(dir, 'showcase.mqoz')));

  assert.match(await open(dir, ['long.mqo']), /^shown 1 object, 2 triangles/);
  assert.equal(await page.$eval('#objects li', (i) => i.textContent.trim()), '数字 2 triangles');
  assert.ok((await download('long.glb')).equals(commandGlb(dir, 'long.mqo')));
  // A number past the float range leaves its object out, and with it all.
  assert.match(await open(dir, ['huge.mqo']), /^error: nothing to write/);
  assert.match(await page.$eval('#messages', (e) => e.textContent), /"数字" left out/);
});

test('objects without faces, which group others, are not listed as objects', async () => {
  const dir = folderOf('groups', { 'groups.mqo': readFileSync(join(samples, '../tests/data/groups.mqo')) });
  assert.match(await open(dir, ['groups.mqo']), /^shown 3 objects, 3 triangles/);
  assert.deepEqual(await page.$$eval('#objects li', (items) => items.map((i) => i.textContent.trim())),
    ['panel 1 triangle', 'lamp 1 triangle', 'cube 1 triangle']);
});

test('a project folder dropped on the page finds its pictures as the command does', async () => {
  const dir = folderOf('dropped', {});
  execFileSync('mkdir', ['-p', join(dir, 'proj/data/MODEL'), join(dir, 'proj/data/TEXTURE')]);
  writeFileSync(join(dir, 'proj/data/MODEL/showcase.mqo'), readFileSync(join(samples, 'showcase.mqo')));
  writeFileSync(join(dir, 'proj/data/TEXTURE/Wood.BMP'), solidBmp(4, [150, 90, 30]));
  assert.match(await dropPath(page, join(dir, 'proj')),
    /^shown 2 objects, 32 triangles from proj\/data\/MODEL\/showcase\.mqo/);
  assert.equal(await page.$eval('#messages', (e) => e.textContent),
    'map textures/wood.bmp taken from proj/data/TEXTURE/Wood.BMP\n');
  assert.ok((await download('showcase.glb')).equals(commandGlb(dir, 'proj/data/MODEL/showcase.mqo')));
});

test('a broken document and refused archives are told, and the next good file still loads', async () => {
  const cube = readFileSync(join(samples, 'cube.mqo'));
  const crc = zipSync({ 'bad.mqo': cube }, { level: 0 });
  crc[Buffer.from(crc).indexOf(cube.subarray(0, 20)) + 5] ^= 1;  // a byte of the stored document
  const files = {
    'broken.mqo': 'This is not a document\n',
    'bomb.mqoz': zipSync({ 'bomb.mqo': new Uint8Array(10 << 20) }),
    'climb.mqoz': zipSync({ '../climb.mqo': cube }),
    'bad.mqoz': crc,
    'short.mqoz': zipSync({ 'short.mqo': cube }).subarray(0, 200),
    'cube.mqo': cube,
  };
  const dir = folderOf('bad', files);
  const told = {
    'broken.mqo': /^error: broken\.mqo could not be imported/,
    'bomb.mqoz': /^error: bomb\.mqoz: member bomb\.mqo claims 10485760 bytes, .*zip bomb$/,
    'climb.mqoz': /^error: climb\.mqoz: member "\.\.\/climb\.mqo" names a path outside/,
    'bad.mqoz': /^error: bad\.mqoz: member bad\.mqo cannot be read: CRC error$/,
    'short.mqoz': /^error: short\.mqoz: not a readable zip archive, damaged or cut short/,
  };
  for (const [name, expected] of Object.entries(told)) {
    assert.match(await open(dir, [name]), expected);
    assert.equal(await page.$eval('#download', (b) => b.disabled), true, name);
  }
  assert.match(await open(dir, ['cube.mqo']), /^shown 1 object/);
});

// A document named in Japanese and with a space, as people name them, whose
// Scene block holds chunks the reader does not know (line 9 and on), one
// of them with an escape byte, and a block of a newer program's own.
const UNKNOWN_CHUNKS = ['Metasequoia Document', 'Format Text Ver 1.0', '', 'Scene {',
  '\tpos 0 0 1500', '\tlookat 0 0 0', '\thead 0', '\tpich 0', '\tbank 0', '\tfrob\x1b[2J 1 2 3',
  '\tthumb {', '\t\t1 2 3 4 5 6', '\t}', '}', 'MysteryBlock {', '\ta b c d e f', '}',
  'Object "obj" {', '\tvertex 3 {', '\t\t0 0 0', '\t\t1 0 0', '\t\t0 1 0', '\t}',
  '\tface 1 {', '\t\t3 V(0 1 2)', '\t}', '}', 'Eof', ''].join('\r\n');

test('the importer\'s messages read as the command shows them, the document\'s name as given', async () => {
  const name = '熊の 模型.mqo';
  const dir = folderOf('messages', { [name]: Buffer.from(UNKNOWN_CHUNKS, 'latin1') });
  assert.match(await open(dir, [name]), /^shown 1 object, 1 triangle from/);
  const shown = await page.$eval('#messages', (e) => e.textContent);
  assert.ok(shown.startsWith(`${name}(9) : [bank]`), shown);
  assert.ok(!shown.includes('\\x0a') && !/[\x00-\x08\x0b-\x1f\x7f]/.test(shown), shown);
  // The same lines, folded alike, as the command shows from the folder.
  const command = spawnSync(varnel, ['import', '--yes', name], { cwd: dir, encoding: 'utf8' });
  assert.equal(command.status, 0, command.stderr);
  assert.match(command.stderr, /\(and \d+ more tokens of this block\)\n$/);
  assert.equal(shown, command.stderr);
});

test('a scale is taken or refused as the command takes or refuses it', async () => {
  const dir = folderOf('scale', {
    'cube.mqo': readFileSync(join(samples, 'cube.mqo')),
    'checker.bmp': solidBmp(8, [0, 200, 0]),
  });
  try {
    // 1e-50 is no float but 0, which would draw the model as a point.
    await setOptions({ scale: '1e-50' });
    assert.equal(await open(dir, ['cube.mqo', 'checker.bmp']),
      'error: the scale takes a positive number or mm, cm or m, not "1e-50"');
    assert.equal(await page.$eval('#download', (b) => b.disabled), true);
    assert.equal(spawnSync(varnel, ['import', '--yes', '--scale', '1e-50', join(dir, 'cube.mqo')]).status, 2);
    // The smallest floats are still factors, for both.
    await setOptions({ scale: '1e-40' });
    assert.match(await open(dir, ['cube.mqo', 'checker.bmp']), /^shown 1 object/);
    assert.ok((await download('cube.glb')).equals(commandGlb(dir, 'cube.mqo', ['--scale', '1e-40'])));
  } finally {
    await setOptions({ scale: '1' });
  }
});

test('an exception thrown through the import is told, and the next file still loads', async () => {
  const dir = folderOf('thrown', {
    'cube.mqo': readFileSync(join(samples, 'cube.mqo')),
    'checker.bmp': solidBmp(8, [0, 200, 0]),
  });
  // The module's file system fails once as the importer opens the picture,
  // by a JavaScript error rather than an error number: an exception that
  // passes through the module into the page's scripts.
  await page.evaluate(async () => {
    const { FS } = await window.varnelPage.importer;
    const open = FS.open;
    FS.open = (path, flags, ...rest) => {
      const reading = typeof flags === 'number' ? (flags & 3) === 0 : flags === 'r';
      if (reading && String(path).endsWith('/checker.bmp')) {
        FS.open = open;
        throw new Error('the storage went away');
      }
      return open(path, flags, ...rest);
    };
  });
  assert.equal(await open(dir, ['cube.mqo', 'checker.bmp']),
    'error: the importer failed: the storage went away');
  assert.equal(await page.$eval('#download', (b) => b.disabled), true);
  assert.match(await open(dir, ['cube.mqo', 'checker.bmp']), /^shown 1 object, 12 triangles/);
  assert.ok((await download('cube.glb')).equals(commandGlb(dir, 'cube.mqo')));
});

// A PNG of one texel carrying size bytes in a chunk of its own, which
// readers skip: a picture whose bytes the .glb carries whole, and which
// costs nothing to decode.
function paddedPng(size) {
  const chunk = (type, data) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(data, crc32(Buffer.from(type, 'latin1'))));
    return [head, data, crc];
  };
  const header = Buffer.from([0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0]);
  const texel = deflateSync(Buffer.from([0, 0, 200, 0]));  // no filter, green
  return Buffer.concat([Buffer.from('\x89PNG\r\n\x1a\n', 'latin1'), ...chunk('IHDR', header),
    ...chunk('vaRn', Buffer.alloc(size)), ...chunk('IDAT', texel), ...chunk('IEND', Buffer.alloc(0))]);
}

test('the module holds the .glb once: its memory grows by the picture and one .glb', async () => {
  const picture = 64 << 20;
  const cube = readFileSync(join(samples, 'cube.mqo'), 'latin1').replace('checker.bmp', 'big.png');
  const dir = folderOf('big', { 'cube.mqo': Buffer.from(cube, 'latin1'), 'big.png': paddedPng(picture) });
  // A page of its own, whose module has made nothing but the warm-up's
  // imports, so that its growth is this document's alone.
  const fresh = await openPage(page_path, join(work, 'profile-memory'));
  try {
    const heap = () => fresh.page.evaluate(async () => (await window.varnelPage.importer).HEAPU8.length);
    const before = await heap();
    assert.match(await openFiles(fresh.page, dir, ['cube.mqo', 'big.png']), /^shown 1 object/);
    const saved = await fresh.page.evaluate(() => window.varnelPage.saved.glb.length);
    assert.equal(saved, commandGlb(dir, 'cube.mqo').length);
    assert.ok(saved > picture);
    // The picture as read and the .glb carrying it take two pictures' room,
    // less what the warm-up left free; a copy of the .glb made while
    // another is held would take a third.
    const grown = (await heap()) - before;
    assert.ok(grown < 2.4 * picture, `the module grew by ${(grown / picture).toFixed(2)} pictures`);
    assert.deepEqual(fresh.outside, []);
  } finally {
    await fresh.browser.close();
  }
});

test('nothing the page did sent a request off the machine', () => {
  assert.deepEqual(outside, []);
});
