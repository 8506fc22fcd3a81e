// The frozen-time view against the capture program: invitation.html?at-ms=MS&
// seed=2008&warmup-frames=200 in a 1024 x 768 window must show the frame that
// `invitation-capture --at-ms MS --seed 2008 --warmup-frames 200` writes, at beats
// 0, 12, 37.2, 100, 220 and 400, with the canvas filling the page pixel for pixel,
// in the engine the first argument names (engines.mjs). The two pictures may come
// from different rasterizers (SwiftShader in Chromium, Mesa's llvmpipe for the
// capture and under Firefox and WebKit), which may disagree by a rounding step
// anywhere and on the coverage of pixels along polygon edges; so each channel may
// differ by a small tolerance, and a small share of pixels (the edges) by more.
// Reported per frame: the largest and the mean difference of each channel, the
// pixels beyond the tolerance, and the largest difference once a one-pixel shift
// is allowed. Bad parameters show one line and
// draw nothing. The warm-up is drawn in slices across the browser's frames: at
// the largest the page takes (that of the capture program, which would take
// minutes) the page shows its progress and keeps answering; one more is refused
// in a line that names the limit.
import { execFile } from 'node:child_process';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { captureProgram, fail, pageUrl, readRgba, run, viewport, workDir } from './lib/browser.mjs';
import { engineName, launch, pause, waitForState } from './lib/engines.mjs';

const beats = [0, 12, 37.2, 100, 220, 400];
const msPerBeat = 500;
const seed = 2008;
const warmupFrames = 200;
const channelTolerance = 4;
const maxEdgeShare = 0.002;
const untouchedCanvasWidth = 300;

const badQueries = [
  ['at-ms=-5', 'at-ms must not be negative, got -5'],
  ['at-ms=100&zoom=2', "unknown parameter 'zoom' (the view takes at-ms, seed and warmup-frames)"],
  ['seed=4', 'the frozen view needs at-ms'],
  // The address arrives as the browser sends it, percent-encoded; shown as text.
  ['at-ms=1&seed=<b>x</b>', "seed needs a whole number, got '%3Cb%3Ex%3C/b%3E'"],
  ['at-ms=18600&warmup-frames=100001', 'warmup-frames must be 0 to 100000, got 100001'],
];
const largestWarmup = 100000;
const progressLine = /^Warming up: ([\d,]+) of 100,000 frames$/;
const answerMs = 10000;  // far longer than a slice; a page busy for minutes misses it

// Runs while the browser draws the same frame.
function captureFrame(ms, path) {
  if (!captureProgram) fail('INVITATION_CAPTURE does not name the capture program');
  return promisify(execFile)(captureProgram, ['--at-ms', String(ms), '--seed', String(seed),
    '--warmup-frames', String(warmupFrames), '--out', path]);
}

// Largest RGB difference of pixel i of `a` against pixel j of `b`.
function difference(a, b, i, j) {
  return Math.max(Math.abs(a[i] - b[j]), Math.abs(a[i + 1] - b[j + 1]), Math.abs(a[i + 2] - b[j + 2]));
}

function compare(web, capture) {
  const { width, height } = viewport;
  let largest = 0;
  let largestShifted = 0;
  let beyond = 0;
  const channelLargest = [0, 0, 0];
  const channelSum = [0, 0, 0];
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * 4;
      for (let c = 0; c < 3; ++c) {
        const dc = Math.abs(web[i + c] - capture[i + c]);
        channelLargest[c] = Math.max(channelLargest[c], dc);
        channelSum[c] += dc;
      }
      const d = difference(web, capture, i, i);
      largest = Math.max(largest, d);
      if (d <= channelTolerance) continue;
      beyond += 1;
      let nearest = d;
      for (let dy = -1; dy <= 1; ++dy) {
        for (let dx = -1; dx <= 1; ++dx) {
          const xx = x + dx;
          const yy = y + dy;
          if (xx >= 0 && yy >= 0 && xx < width && yy < height)
            nearest = Math.min(nearest, difference(web, capture, i, (yy * width + xx) * 4));
        }
      }
      largestShifted = Math.max(largestShifted, nearest);
    }
  }
  const channelMean = channelSum.map((sum) => sum / (width * height));
  return { largest, beyond, largestShifted, channelLargest, channelMean };
}

const perChannel = (values, digits = 0) => ['R', 'G', 'B'].map((c, k) => `${c} ${values[k].toFixed(digits)}`).join(' ');

async function checkFillsThePage(tab) {
  const layout = await tab.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    return {
      box: [box.left, box.top, box.width, box.height],
      buffer: [canvas.width, canvas.height],
      scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
    };
  });
  const { width, height } = viewport;
  if (JSON.stringify(layout.box) !== JSON.stringify([0, 0, width, height]) ||
      JSON.stringify(layout.buffer) !== JSON.stringify([width, height]) ||
      layout.scroll[0] > width || layout.scroll[1] > height)
    fail(`the canvas does not fill the page pixel for pixel: ${JSON.stringify(layout)}`);
}

async function checkFrame(tab, beat, dir) {
  const ms = Math.round(beat * msPerBeat);
  const name = `beat_${String(beat).replace('.', '_')}`;
  const capturePath = join(dir, `${name}_capture.png`);
  const webPath = join(dir, `${name}_web.png`);
  const capturing = captureFrame(ms, capturePath);
  await tab.goto(pageUrl('invitation.html', `?at-ms=${ms}&seed=${seed}&warmup-frames=${warmupFrames}`));
  const state = await waitForState(tab, ['frame', 'failed']);
  if (state !== 'frame') fail(`beat ${beat}: ${await tab.evaluate(() => document.getElementById('message').textContent)}`);
  await checkFillsThePage(tab);
  await tab.screenshot(webPath);
  await capturing;
  const result = compare(readRgba(webPath), readRgba(capturePath));
  const share = result.beyond / (viewport.width * viewport.height);
  console.log(`beat ${beat} (at-ms ${ms}): largest difference ${result.largest}, ` +
    `${result.beyond} pixels beyond ${channelTolerance} (${(share * 100).toFixed(3)} %), ` +
    `largest with a one-pixel shift ${result.largestShifted}; per channel largest ${perChannel(result.channelLargest)}, ` +
    `mean ${perChannel(result.channelMean, 3)}`);
  if (share > maxEdgeShare) fail(`beat ${beat}: ${result.beyond} pixels differ by more than ${channelTolerance} ` +
    `(${webPath} against ${capturePath})`);
  return result;
}

async function checkBadQuery(tab, query, expected) {
  await tab.goto(pageUrl('invitation.html', `?${query}`));
  const state = await waitForState(tab, ['frame', 'failed']);
  const seen = await tab.evaluate(() => ({
    message: document.getElementById('message').textContent,
    lines: document.getElementById('message').childNodes.length,
    canvasHidden: document.getElementById('canvas').hidden,
    canvasWidth: document.getElementById('canvas').width,
  }));
  if (state !== 'failed' || seen.message !== expected || seen.lines !== 1)
    fail(`?${query}: state ${state}, the page says ${JSON.stringify(seen.message)}, expected ${JSON.stringify(expected)}`);
  if (!seen.canvasHidden || seen.canvasWidth !== untouchedCanvasWidth) fail(`?${query}: something was drawn`);
}

async function progressSeen(tab) {
  const text = await tab.evaluate(() => document.getElementById('progress').textContent);
  const match = progressLine.exec(text || '');
  if (!match) fail(`during the warm-up the page says ${JSON.stringify(text)}`);
  return Number(match[1].replace(/,/g, ''));
}

// The page answers within `answerMs` (a script of its own and a key) while the
// warm-up goes on.
async function answers(tab) {
  const timer = new Promise((done) => setTimeout(() => done(false), answerMs));
  const listening = tab.evaluate(() => {
    window.keyHeard = false;
    window.addEventListener('keydown', () => { window.keyHeard = true; }, true);
    return true;
  });
  if (!(await Promise.race([listening, timer]))) return false;
  await tab.press('x');
  return tab.waitFor(() => window.keyHeard, null, answerMs).then(() => true, () => false);
}

async function checkLargestWarmup(tab) {
  await tab.goto(pageUrl('invitation.html', `?at-ms=18600&seed=${seed}&warmup-frames=${largestWarmup}`));
  await waitForState(tab, 'warming');
  await tab.waitFor(() => !document.getElementById('progress').hidden, null, 30000);
  const first = await progressSeen(tab);
  if (!(await answers(tab))) fail(`during a warm-up of ${largestWarmup} frames the page does not answer`);
  await pause(1500);
  const second = await progressSeen(tab);
  if (!(second > first && second < largestWarmup)) fail(`the warm-up's progress went from ${first} to ${second}`);
  if ((await tab.evaluate(() => document.body.dataset.state)) !== 'warming') fail('the warm-up ended early');
  console.log(`warm-up of ${largestWarmup} frames: ${first}, then ${second} drawn, the page answering in between`);
}

run(async () => {
  const dir = workDir(`frames-${engineName}`);
  const browser = await launch();
  const tab = await browser.open(viewport);
  const { record } = tab;
  let largest = 0;
  const channelLargest = [0, 0, 0];
  const channelMean = [0, 0, 0];
  for (const beat of beats) {
    const result = await checkFrame(tab, beat, dir);
    largest = Math.max(largest, result.largest);
    for (let c = 0; c < 3; ++c) {
      channelLargest[c] = Math.max(channelLargest[c], result.channelLargest[c]);
      channelMean[c] += result.channelMean[c] / beats.length;
    }
  }
  console.log(`${engineName}: largest difference over all frames: ${largest}; per channel largest ` +
    `${perChannel(channelLargest)}, mean ${perChannel(channelMean, 3)}`);
  await checkLargestWarmup(tab);
  for (const [query, expected] of badQueries) await checkBadQuery(tab, query, expected);
  if (record.errors.length) fail(`the page logged errors: ${JSON.stringify(record.errors)}`);
});
