// frames.mjs -- the page's frames on the virtual clock, from one play from 0, written as PNGs named
// as the capture tool names them (frame-MMMMMM.png) for comparison with its frames.
// usage: node frames.mjs WEB_DIR OUT_DIR FPS AT_MS...
import { mkdirSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { serve, launch } from './lib.mjs';

const [webDir, outDir, fps, ...times] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const server = await serve(resolve(webDir));
const chromium = await launch();
try {
  const began = Date.now();
  const page = await chromium.browser.newPage({ viewport: { width: 1024, height: 768 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`${server.url}?at=${times.join(',')}&fps=${fps}`);
  await page.waitForFunction(() => window.bearings.ended, null, { timeout: 600000, polling: 250 });
  if (errors.length) throw new Error(`page error: ${errors.join('; ')}`);
  // Encoded by the browser: GL's rows run bottom-up, and the alpha GL leaves is not the picture's.
  const frames = await page.evaluate(() => window.bearings.frames.map(({ rgba, width, height, atMs }) => {
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d');
    const image = context.createImageData(width, height);
    for (let y = 0; y < height; ++y)
      image.data.set(rgba.subarray((height - 1 - y) * width * 4, (height - y) * width * 4), y * width * 4);
    for (let i = 3; i < image.data.length; i += 4) image.data[i] = 255;
    context.putImageData(image, 0, 0);
    return { atMs, png: canvas.toDataURL('image/png').split(',')[1] };
  }));
  if (frames.length === 0) throw new Error(`no frames: ${JSON.stringify(await page.evaluate(() => window.bearings.ended))}`);
  for (const { atMs, png } of frames)
    writeFileSync(join(outDir, `frame-${String(atMs).padStart(6, '0')}.png`), Buffer.from(png, 'base64'));
  console.log(`frames at ${frames.map(({ atMs }) => atMs).join(' ')} ms in ${((Date.now() - began) / 1000).toFixed(1)} s`);
} finally {
  await chromium.close();
  server.close();
}
