// lib.mjs -- what the browser checks share: a local server for the page, Debian's Chromium, frames.
import { createServer } from 'node:http';
import { readFileSync, writeFileSync, existsSync } from 'node:fs';
import { join, extname } from 'node:path';
import { chromium } from 'playwright-core';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };

// Serves a folder on 127.0.0.1 at a free port; resolves to { url, close }.
export function serve(folder) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = join(folder, path === '/' ? 'index.html' : path.slice(1));
    if (!file.startsWith(folder) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' });
    response.end(readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() });
  }));
}

// Headless Chromium from Debian, WebGL on SwiftShader, nothing fetched from outside. Playwright
// gives it a fresh profile folder of its own.
export async function launch() {
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--autoplay-policy=user-gesture-required'],
  });
  return { browser, close: () => browser.close() };
}

// The page's frames at show times atMs (from one play from 0 at fps), written as PNGs into folder
// (frame-MMMMMM.png, as the capture tool names them); resolves to their names.
export async function renderFrames(browser, url, atMs, fps, folder, timeoutMs = 600000) {
  const page = await browser.newPage({ viewport: { width: 1024, height: 768 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`${url}?at=${atMs.join(',')}&fps=${fps}`);
  await page.waitForFunction(() => window.bearings.ended, null, { timeout: timeoutMs, polling: 250 });
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
  const ended = await page.evaluate(() => window.bearings.ended);
  await page.close();
  if (frames.length === 0) throw new Error(`no frames: ${JSON.stringify(ended)}`);
  return frames.map(({ atMs: at, png }) => {
    const name = `frame-${String(at).padStart(6, '0')}.png`;
    writeFileSync(join(folder, name), Buffer.from(png, 'base64'));
    return name;
  });
}
