// lib.mjs -- what the browser checks share: a local server for the page, Debian's Chromium, PNGs.
import { createServer } from 'node:http';
import { readFileSync, writeFileSync, existsSync } from 'node:fs';
import { join, extname } from 'node:path';
import { inflateSync, deflateSync } from 'node:zlib';
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

// The page's frame at show time atMs as top-down RGB, played from 0 at fps.
export async function renderFrame(browser, url, atMs, fps, timeoutMs = 600000) {
  const page = await browser.newPage({ viewport: { width: 1024, height: 768 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`${url}?at=${atMs}&fps=${fps}`);
  await page.waitForFunction(() => window.bearings.ready || window.bearings.ended, null, { timeout: timeoutMs, polling: 250 });
  if (errors.length) throw new Error(`page error: ${errors.join('; ')}`);
  const result = await page.evaluate(() => {
    const { rgba, width, height } = window.bearings.frame || {};
    if (!rgba) return { ended: window.bearings.ended };
    let text = '';
    for (let i = 0; i < rgba.length; i += 0x8000) text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
    return { width, height, base64: btoa(text), frameMs: window.bearings.frameMs };
  });
  await page.close();
  if (!result.base64) throw new Error(`no frame at ${atMs} ms: ${JSON.stringify(result.ended)}`);
  const rgba = Buffer.from(result.base64, 'base64');
  const { width, height } = result;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y)  // GL rows run bottom-up
    for (let x = 0; x < width; ++x)
      for (let c = 0; c < 3; ++c)
        rgb[(y * width + x) * 3 + c] = rgba[((height - 1 - y) * width + x) * 4 + c];
  return { width, height, rgb, frameMs: result.frameMs };
}

// Mean absolute difference per channel, in levels, of two RGB frames of one size.
export function meanDifference(a, b) {
  if (a.rgb.length !== b.rgb.length) throw new Error('frames differ in size');
  let sum = 0;
  for (let i = 0; i < a.rgb.length; ++i) sum += Math.abs(a.rgb[i] - b.rgb[i]);
  return sum / a.rgb.length;
}

function paeth(a, b, c) {
  const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Reads an 8-bit RGB or RGBA PNG, as the capture tool writes them, to RGB.
export function readPng(path) {
  const file = readFileSync(path);
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < file.length;) {
    const length = file.readUInt32BE(at), type = file.toString('ascii', at + 4, at + 8);
    const body = file.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) throw new Error(`${path}: unsupported PNG`);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels, pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? pixels[y * stride + i - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + i] : 0;
      const upLeft = y > 0 && i >= channels ? pixels[(y - 1) * stride + i - channels] : 0;
      const predictor = [0, left, up, (left + up) >> 1, paeth(left, up, upLeft)][filter];
      pixels[y * stride + i] = (line[i] + predictor) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let p = 0; p < width * height; ++p) pixels.copy(rgb, p * 3, p * channels, p * channels + 3);
  return { width, height, rgb };
}

// Writes RGB as an unfiltered PNG.
export function writePng(path, { width, height, rgb }) {
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const chunk = (type, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(type, 4, 'ascii');
    let crc = 0xffffffff;
    for (const byte of Buffer.concat([head.subarray(4), body])) crc = crcTable[(crc ^ byte) & 0xff] ^ (crc >>> 8);
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE((crc ^ 0xffffffff) >>> 0, 0);
    return Buffer.concat([head, body, tail]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 2;
  const raw = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; ++y) rgb.copy(raw, y * (width * 3 + 1) + 1, y * width * 3, (y + 1) * width * 3);
  writeFileSync(path, Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]));
}
