// play.mjs -- the show as a viewer gets it: start screen, a click, moving pictures, running music,
// Escape to end. usage: node play.mjs WEB_DIR
import { resolve } from 'node:path';
import { serve, launch } from './lib.mjs';

const server = await serve(resolve(process.argv[2]));
const chromium = await launch();
const failures = [];
const check = (ok, text) => { console.log(`${ok ? 'ok  ' : 'FAIL'} ${text}`); if (!ok) failures.push(text); };
const readState = (page) => page.evaluate(() => {
  const { presented, audioState, musicMs, ended, started, lagMs } = window.bearings;
  return { presented, audioState, musicMs, ended, started, lagMs, status: document.getElementById('status').textContent };
});
try {
  const page = await chromium.browser.newPage({ viewport: { width: 800, height: 600 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(server.url);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('Click'), null, { timeout: 60000 });
  const waiting = await readState(page);
  check(!waiting.started && waiting.presented === 0, 'before the click nothing is drawn');

  await page.click('#screen');
  // Loading, then the title card; the music decodes meanwhile and the clock follows it.
  await page.waitForFunction(() => window.bearings.musicMs > 0 || window.bearings.ended, null, { timeout: 120000, polling: 200 });
  const first = await readState(page);
  await page.waitForFunction((since) => window.bearings.musicMs > since + 1000 && window.bearings.presented > 0,
    first.musicMs, { timeout: 60000, polling: 200 });
  const later = await readState(page);
  check(later.presented > first.presented, `frames advance (${first.presented} -> ${later.presented} presented)`);
  check(later.audioState === 'running', `the audio context runs (${later.audioState})`);
  check(later.musicMs > first.musicMs, `the music's clock moves (${first.musicMs} -> ${later.musicMs} ms)`);
  const lags = later.lagMs.slice().sort((a, b) => a - b);
  if (lags.length) console.log(`     music moved on ${lags[lags.length >> 1]} ms (median of ${lags.length} frames) between drawing and showing a frame`);

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.bearings.ended, null, { timeout: 30000 });
  const ended = await readState(page);
  check(ended.ended.status === 0 && ended.status.includes('The end'), 'Escape ends the show');
  check(errors.length === 0, `no page errors ${errors.join('; ')}`);
} finally {
  await chromium.close();
  server.close();
}
process.exit(failures.length ? 1 : 0);
