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

// A fresh page each time, so that each load starts the module anew; the
// clock runs from handing over the file to the status "shown".
async function pageSeconds(round) {
  const { browser, page, outside } = await openPage(resolve(pagePath), join(work, `profile${round}`));
  try {
    const started = process.hrtime.bigint();
    const status = await openFiles(page, dirname(resolve(document)), [basename(document)], 600000);
    const seconds = Number(process.hrtime.bigint() - started) / 1e9;
    if (!status.startsWith('shown')) throw new Error(`the page said: ${status}`);
    const phases = await page.evaluate(() => window.varnelPage.phases);
    if (outside.length > 0) throw new Error(`requests left the page: ${outside.join(' ')}`);
    return { seconds, status, phases };
  } finally {
    await browser.close();
  }
}

const command = [];
const shown = [];
const phases = [];
let status = '';
for (let round = 0; round < Number(reps); ++round) {
  command.push(commandSeconds());
  const load = await pageSeconds(round);
  shown.push(load.seconds);
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
console.log(`| the page, #open to "shown" | ${shown.map((s) => s.toFixed(2)).join(' ')} | ${median(shown).toFixed(2)} |`);
// Where the page's time went, from its own clock (the rest of the wall time
// is handing over the file and drawing the first frame).
const phaseNames = Object.keys(phases[0]);
console.log(`the page's phases, medians (s): ${phaseNames
  .map((name) => `${name} ${(median(phases.map((p) => p[name])) / 1000).toFixed(2)}`)
  .join(', ')}`);
console.log(`page / command: ${ratio.toFixed(2)} (target at most 2): ${ratio <= 2 ? 'met' : 'NOT met'}`);
