// The page's load of a document against the command's import and export of
// it, alternating, with the medians and their ratio (bench/web.sh runs it).
//
//   node bench/web_bench.mjs PAGE VARNEL DOCUMENT REPETITIONS
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, dirname, join, resolve } from 'node:path';
import { openPage, openFiles } from '../web/test/browser.mjs';

const [pagePath, varnel, document, reps = '3'] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'varnel-web-bench-'));
const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];

function commandSeconds() {
  const started = process.hrtime.bigint();
  const run = spawnSync(varnel, ['import', '--yes', '--export', join(work, 'torus.glb'), document],
    { stdio: ['ignore', 'ignore', 'inherit'] });
  if (run.status !== 0) throw new Error(`varnel import failed with status ${run.status}`);
  return Number(process.hrtime.bigint() - started) / 1e9;
}

// A fresh page each time, so that each load starts the module anew, given
// the document once it says it is ready, as a user would. Two clocks: the
// page's own, from the file given to the status "shown" (the model read,
// imported, written as .glb, parsed by three.js and handed to WebGL), and
// the wall clock until the page answers again, which adds the first frame:
// here chromium draws with SwiftShader, on the processor, where drawing a
// million triangles the first time takes most of a second.
async function pageSeconds(round) {
  const { browser, page, outside } = await openPage(resolve(pagePath), join(work, `profile${round}`));
  try {
    const started = process.hrtime.bigint();
    const status = await openFiles(page, dirname(resolve(document)), [basename(document)], 600000);
    const drawn = Number(process.hrtime.bigint() - started) / 1e9;
    if (!status.startsWith('shown')) throw new Error(`the page said: ${status}`);
    const phases = await page.evaluate(() => window.varnelPage.phases);
    const seconds = Object.values(phases).reduce((sum, ms) => sum + ms, 0) / 1000;
    if (outside.length > 0) throw new Error(`requests left the page: ${outside.join(' ')}`);
    return { seconds, drawn, status, phases };
  } finally {
    await browser.close();
  }
}

const command = [];
const shown = [];
const drawn = [];
const phases = [];
let status = '';
for (let round = 0; round < Number(reps); ++round) {
  command.push(commandSeconds());
  const load = await pageSeconds(round);
  shown.push(load.seconds);
  drawn.push(load.drawn);
  status = load.status;
  phases.push(load.phases);
}
rmSync(work, { recursive: true, force: true });
const mb = (statSync(document).size / 1e6).toFixed(1);
const ratio = median(shown) / median(command);
console.log(`document: ${document}, ${mb} MB; the page: ${status}`);
console.log('| what | runs (s) | median (s) |');
console.log('|---|---|---|');
console.log(`| varnel import --yes --export torus.glb | ${command.map((s) => s.toFixed(2)).join(' ')} | ${median(command).toFixed(2)} |`);
console.log(`| the page, file given to "shown" (its clock) | ${shown.map((s) => s.toFixed(2)).join(' ')} | ${median(shown).toFixed(2)} |`);
console.log(`| the page, file given to first frame drawn (wall) | ${drawn.map((s) => s.toFixed(2)).join(' ')} | ${median(drawn).toFixed(2)} |`);
// Where the page's time went, from its own clock.
const phaseNames = Object.keys(phases[0]);
console.log(`the page's phases, medians (s): ${phaseNames
  .map((name) => `${name} ${(median(phases.map((p) => p[name])) / 1000).toFixed(2)}`)
  .join(', ')}`);
console.log(`page ("shown") / command: ${ratio.toFixed(2)} (target at most 2): ${ratio <= 2 ? 'met' : 'NOT met'}`);
console.log(`page (first frame, software WebGL) / command: ${(median(drawn) / median(command)).toFixed(2)}`);
