// Writes the page as one file: the bundle of src/ (three.js, zip.js and the
// importer's WebAssembly module, inlined) and the style sheet, put into
// index.html, so that the page opens from disk and works offline.
//
//   node build.mjs WASM_JS OUT_HTML
import { readFileSync, writeFileSync } from 'node:fs';
import { build } from 'esbuild';

const [wasmJs, out] = process.argv.slice(2);
if (!wasmJs || !out) {
  console.error('usage: node build.mjs WASM_JS OUT_HTML');
  process.exit(2);
}
const here = new URL('.', import.meta.url).pathname;
const bundle = await build({
  entryPoints: [`${here}src/page.js`],
  bundle: true,
  minify: true,
  format: 'iife',
  target: 'es2020',
  write: false,
  alias: { 'varnel-wasm': wasmJs },
  // The module's loader has a branch for Node.js, never taken in a page.
  external: ['fs', 'path', 'crypto'],
  logLevel: 'warning',
});
// An HTML parser ends the script at "</script" wherever it stands.
const script = bundle.outputFiles[0].text.replaceAll('</script', '<\\/script');
const style = readFileSync(`${here}style.css`, 'utf8');
const html = readFileSync(`${here}index.html`, 'utf8')
  .replace('/*STYLE*/', () => style)
  .replace('/*SCRIPT*/', () => script);
writeFileSync(out, html);
console.log(`${out}: ${html.length.toLocaleString('en-US')} bytes`);
