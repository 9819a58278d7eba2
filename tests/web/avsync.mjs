// avsync.mjs -- picture against sound in the browser, as a viewer gets them: plays the show from a
// click until the music passes the last cut, then takes from the page's own record, per presented
// frame, the show time it was drawn for and the music heard (Web Audio's output timestamp) as it
// reached the screen. Offset at a cut = when its music is heard - when its first frame is seen.
// usage: node avsync.mjs WEB_DIR [CUTS_MS]   (default 14000,28000,36000,76000)
// The opening is not among them: the page records frames only once the music plays, and Web Audio
// starts the track when it has decoded it, after the first frames are up.
import { resolve } from 'node:path';
import { serve, launch } from './lib.mjs';

const cuts = (process.argv[3] || '14000,28000,36000,76000').split(',').map(Number);
const server = await serve(resolve(process.argv[2]));
const chromium = await launch();
try {
  const page = await chromium.browser.newPage({ viewport: { width: 1024, height: 768 } });
  await page.goto(server.url);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('Click'), null, { timeout: 120000 });
  await page.click('#screen');
  const last = Math.max(...cuts) + 2000;
  await page.waitForFunction((until) => window.bearings.musicMs > until || window.bearings.ended, last,
    { timeout: last + 300000, polling: 500 });
  const shown = await page.evaluate(() => window.bearings.shown);
  await page.keyboard.press('Escape');

  console.log('     cut  seen frame drawn for ms  music heard then ms  offset ms  frame ms');
  const offsets = [];
  for (const cut of cuts) {
    const index = shown.findIndex(([showMs]) => showMs >= cut);
    if (index < 0) continue;
    const [showMs, musicMs, presentedAt] = shown[index];
    const interval = index > 0 ? presentedAt - shown[index - 1][2] : NaN;
    // The music runs at one ms a ms: it was heard at the cut (musicMs - cut) ms before this frame showed.
    const offset = cut - musicMs;
    offsets.push(offset);
    console.log(`${(cut / 1000).toFixed(0).padStart(6)} s ${String(showMs).padStart(21)} ${String(musicMs).padStart(20)} ` +
      `${offset.toFixed(0).padStart(10)} ${interval.toFixed(0).padStart(9)}`);
  }
  const mean = offsets.reduce((a, b) => a + b, 0) / offsets.length;
  const sd = Math.sqrt(offsets.reduce((a, b) => a + (b - mean) ** 2, 0) / offsets.length);
  console.log(`cuts ${offsets.length}: mean ${mean.toFixed(1)} ms, sd ${sd.toFixed(1)} ms, ` +
    `range ${Math.min(...offsets).toFixed(0)} .. ${Math.max(...offsets).toFixed(0)} ms`);
} finally {
  await chromium.close();
  server.close();
}
