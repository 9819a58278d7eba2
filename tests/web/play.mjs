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

  // The viewer's keys. Right: the next entry's start on the screen, the music played from there.
  const before = await page.evaluate(() => {
    const showMs = Module._bearingsShowMs();
    let next = 0;
    for (let entry = 1; next >= 0 && next <= showMs; ++entry) next = Module._bearingsEntryStartMs(entry);
    return { showMs, next, at: performance.now() };
  });
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(({ next, at }) => window.bearings.shown.some(([showMs, musicMs, shownAt]) =>
    shownAt > at && showMs >= next + 1000 && musicMs >= next + 1000), before, { timeout: 60000, polling: 100 });
  const jump = await page.evaluate(({ next, at }) => {
    const { shown, moves } = window.bearings;
    return { first: shown.find(([showMs, , shownAt]) => shownAt > at && showMs >= next),
             last: shown[shown.length - 1], moves: moves.filter(([, , movedAt]) => movedAt > at) };
  }, before);
  const [firstMs, firstMusicMs, firstAt] = jump.first;
  console.log(`     Right at ${before.showMs} ms: ${Math.round(firstAt - before.at)} ms to the frame at ${firstMs} ms, ` +
    `music played from ${jump.moves.map(([kind, ms]) => `${kind} ${Math.round(ms)}`).join(', ')}, heard at ${firstMusicMs} ms as it showed`);
  check(firstMs === before.next, `Right shows the next entry's start first (${before.showMs} -> ${firstMs} ms, start ${before.next})`);
  check(jump.moves.length === 2 && jump.moves[0][0] === 'stop' && jump.moves[1][0] === 'play' && jump.moves[1][1] === before.next,
    `the music stops and plays from the entry's start (${JSON.stringify(jump.moves.map(([kind, ms]) => [kind, Math.round(ms)]))})`);
  check(Math.abs(jump.last[0] - jump.last[1]) < 1000, `the frames follow the music from there (show ${jump.last[0]} ms, heard ${jump.last[1]} ms)`);

  // Space: picture and music stand; again: both go on from the frame on screen.
  const moved = await page.evaluate(() => window.bearings.moves.length);
  await page.keyboard.press('Space');
  await page.waitForFunction((count) => window.bearings.moves.length > count, moved, { timeout: 30000, polling: 50 });
  const standing = () => page.evaluate(() => ({ showMs: Module._bearingsShowMs(), musicMs: window.bearings.musicMs,
    presented: window.bearings.presented, at: performance.now(), move: window.bearings.moves.slice(-1)[0] }));
  const stood = await standing();
  await page.waitForFunction(({ presented, at }) => window.bearings.presented >= presented + 3 && performance.now() > at + 600,
    stood, { timeout: 30000, polling: 100 });
  const still = await standing();
  check(stood.move[0] === 'stop' && still.showMs === stood.showMs && still.musicMs === stood.move[1],
    `Space stops the frames and the music (show ${stood.showMs} ms, music stopped at ${Math.round(stood.move[1])} ms; ` +
    `${still.showMs} and ${still.musicMs} ms ${Math.round(still.at - stood.at)} ms later)`);
  await page.keyboard.press('Space');
  await page.waitForFunction((since) => window.bearings.musicMs > since.musicMs + 500 && Module._bearingsShowMs() > since.showMs + 500,
    still, { timeout: 30000, polling: 100 });
  const resumed = await page.evaluate(() => window.bearings.moves.slice(-1)[0]);
  check(resumed[0] === 'play' && resumed[1] === still.showMs, `Space again plays both on from the frame on screen (music from ${resumed[1]} ms)`);

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
