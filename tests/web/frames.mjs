// frames.mjs -- renders frames in the browser and compares them with the native captures.
// usage: node frames.mjs WEB_DIR NATIVE_DIR FPS LIMIT AT_MS... [--save DIR]
// NATIVE_DIR holds frame-MMMMMM.png from bearings-capture run with the same --fps.
// Prints one line per frame; fails when a frame's mean difference exceeds LIMIT levels.
import { mkdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { serve, launch, renderFrame, readPng, writePng, meanDifference } from './lib.mjs';

const args = process.argv.slice(2);
const saveAt = args.indexOf('--save');
const saveDir = saveAt >= 0 ? args.splice(saveAt, 2)[1] : null;
const [webDir, nativeDir, fps, limit, ...times] = args;
if (saveDir) mkdirSync(saveDir, { recursive: true });

const server = await serve(resolve(webDir));
const chromium = await launch();
let failed = 0;
try {
  for (const at of times.map(Number)) {
    const name = `frame-${String(at).padStart(6, '0')}.png`;
    const began = Date.now();
    const web = await renderFrame(chromium.browser, server.url, at, Number(fps));
    const native = readPng(join(nativeDir, name));
    const difference = meanDifference(web, native);
    const ok = difference <= Number(limit);
    failed += ok ? 0 : 1;
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}: mean difference ${difference.toFixed(3)} levels (limit ${limit}), ` +
      `${((Date.now() - began) / 1000).toFixed(1)} s`);
    if (saveDir) writePng(join(saveDir, name), web);
  }
} finally {
  await chromium.close();
  server.close();
}
process.exit(failed ? 1 : 0);
