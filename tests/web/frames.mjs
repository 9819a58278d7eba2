// frames.mjs -- the page's frames on the virtual clock, from one play, as PNGs for comparison with
// the native capture tool's.
// usage: node frames.mjs WEB_DIR OUT_DIR FPS AT_MS...
import { mkdirSync } from 'node:fs';
import { resolve } from 'node:path';
import { serve, launch, renderFrames } from './lib.mjs';

const [webDir, outDir, fps, ...times] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const server = await serve(resolve(webDir));
const chromium = await launch();
try {
  const began = Date.now();
  const names = await renderFrames(chromium.browser, server.url, times.map(Number), Number(fps), outDir);
  console.log(`${names.join(' ')} in ${((Date.now() - began) / 1000).toFixed(1)} s`);
} finally {
  await chromium.close();
  server.close();
}
