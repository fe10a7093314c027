// Debian's chromium, headless, driven by puppeteer-core, with the page opened
// from disk: shared by the page's tests and its benchmark (bench/web_bench.mjs).
// Every request that is not for the page itself or what it made (file:,
// data:, blob:) is refused and kept in outside.
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = '/usr/bin/chromium';
// The longest wait for the browser or the page, in milliseconds. Far beyond
// what a step takes on a loaded machine, it only bounds a failure.
export const LONGEST_WAIT = 300000;

export async function openPage(pagePath, profileDir, downloadDir) {
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    timeout: LONGEST_WAIT,
    protocolTimeout: 600000,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      // WebGL without a GPU: SwiftShader, the renderer chromium carries.
      '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      `--user-data-dir=${profileDir}`],
  });
  const page = await browser.newPage();
  page.setDefaultTimeout(LONGEST_WAIT);
  await page.setViewport({ width: 1200, height: 800 });
  let nextDownload = null;
  if (downloadDir) {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior',
      { behavior: 'allow', downloadPath: downloadDir, eventsEnabled: true });
    nextDownload = () => downloadEnd(cdp);
  }
  const outside = [];
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    if (/^(file|data|blob):/.test(request.url())) return request.continue();
    outside.push(request.url());
    return request.abort();
  });
  await page.goto(pathToFileURL(pagePath).href);
  // As a user opening a document at once would wait.
  await page.waitForFunction(() => /^(ready|error:)/.test(document.getElementById('status').textContent));
  return { browser, page, outside, nextDownload };
}

// The name of the next file saved into the download folder, once chromium
// has written it whole and put it in place; rejected when the download
// fails. Asked for before what starts the download.
function downloadEnd(cdp) {
  return new Promise((resolve, reject) => {
    const names = new Map();
    const begin = (event) => names.set(event.guid, event.suggestedFilename);
    const progress = (event) => {
      if (event.state === 'inProgress') return;
      cdp.off('Browser.downloadWillBegin', begin);
      cdp.off('Browser.downloadProgress', progress);
      if (event.state === 'completed') resolve(names.get(event.guid));
      else reject(new Error(`the download of ${names.get(event.guid)} was ${event.state}`));
    };
    cdp.on('Browser.downloadWillBegin', begin);
    cdp.on('Browser.downloadProgress', progress);
  });
}

// The status is emptied first, so that the outcome of an earlier file,
// still shown while the page starts reading the next, is not taken for it.
function clearStatus(page) {
  return page.$eval('#status', (e) => { e.textContent = ''; });
}

function waitForOutcome(page, timeout) {
  return page.waitForFunction(
    () => /^(shown|error:)/.test(document.getElementById('status').textContent),
    { timeout, polling: 50 },
  );
}

// Drops a file or a whole folder on the page, as a user dragging it there.
export async function dropPath(page, path, timeout = LONGEST_WAIT) {
  const cdp = await page.createCDPSession();
  const data = { items: [], files: [path], dragOperationsMask: 1 };
  await clearStatus(page);
  for (const type of ['dragEnter', 'dragOver', 'drop']) {
    await cdp.send('Input.dispatchDragEvent', { type, x: 300, y: 300, data });
  }
  await waitForOutcome(page, timeout);
  return page.$eval('#status', (e) => e.textContent);
}

// Gives the page files through #open, as a user choosing them would, and
// waits until the status tells the outcome; returns the status.
export async function openFiles(page, dir, names, timeout = LONGEST_WAIT) {
  const input = await page.$('#open');
  await clearStatus(page);
  await input.uploadFile(...names.map((n) => join(dir, n)));
  await waitForOutcome(page, timeout);
  return page.$eval('#status', (e) => e.textContent);
}
