// One live run of the page in a headed browser in the bench's Xvfb, its sound to
// the null sink, driven by puppeteer-core: Debian's Chromium over CDP, Firefox
// ESR over WebDriver BiDi.
//
// Which frame a console line's beat time is on screen: the browser's frame
// callback runs one turn of the show (read the clock, draw, handle the keys), and
// a key press queued before it prints, one turn later, the whole line: the clock
// of the turn that took the press and of the next. A script put in before the
// page's own (nothing of the page changes) notes when each frame callback begins
// (performance.now) and in which callback each line is logged; the browser
// shows what a callback drew when it composites that frame, taken here as the
// start of the next frame callback. Page time becomes CLOCK_MONOTONIC through
// the round trip of an evaluation: the shortest of 30, before and after the taps.
import { createRequire } from 'node:module';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { parseConsoleLine } from './authoring_lines.mjs';
import { monotonicMs, sleep } from './processes.mjs';
import { startRecorder } from './recorder.mjs';
import { sinkState } from './pulse_server.mjs';

export const browsers = {
  chromium: { product: 'chrome', executable: '/usr/bin/chromium' },
  firefox: { product: 'firefox', executable: '/usr/bin/firefox-esr' },
};

function watchFrames() {
  const bench = { frames: [], lines: [] };
  window.syncBench = bench;
  const request = window.requestAnimationFrame.bind(window);
  let lastStamp = -1;
  window.requestAnimationFrame = (callback) => request((stamp) => {
    if (stamp !== lastStamp) {
      lastStamp = stamp;
      bench.frames.push(performance.now());
    }
    callback(stamp);
  });
  const log = console.log.bind(console);
  console.log = (...args) => {
    bench.lines.push([String(args[0]), bench.frames.length - 1]);
    log(...args);
  };
}

async function clockOffset(page) {
  let best = null;
  for (let i = 0; i < 30; ++i) {
    const before = monotonicMs();
    const at = await page.evaluate(() => performance.now());
    const after = monotonicMs();
    if (!best || after - before < best.roundTripMs) best = { roundTripMs: after - before, offset: (before + after) / 2 - at };
  }
  return best;
}

function loadPuppeteer(nodeModules) {
  const require = createRequire(resolve(nodeModules, 'noop.js'));
  return require('puppeteer-core');
}

async function launch(kind, nodeModules, display, pulse) {
  const puppeteer = loadPuppeteer(nodeModules);
  const env = { ...process.env, ...pulse.env, DISPLAY: display };
  const viewport = { width: 1024, height: 768 };
  if (kind === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox', executablePath: browsers.firefox.executable, headless: false, env,
      defaultViewport: viewport, args: ['--width=1100', '--height=900'],
      extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0 },
      protocolTimeout: 60000,
    });
  }
  const args = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run', '--disable-sync',
    '--disable-background-networking', '--disable-component-update', '--window-size=1100,900'];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  return puppeteer.launch({
    browser: 'chrome', executablePath: browsers.chromium.executable, headless: false, env, defaultViewport: viewport,
    args, protocolTimeout: 60000,
  });
}

const waitState = (page, state, timeout = 30000) =>
  page.waitForFunction((s) => document.body.dataset.state === s, { timeout }, state);

export async function runPage({ kind, nodeModules, pagePath, tools, pulse, display, dir, taps, warmupMs }) {
  const browser = await launch(kind, nodeModules, display, pulse);
  let recorder = null;
  try {
    const version = await browser.version();
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.evaluateOnNewDocument(watchFrames);
    await page.goto(pathToFileURL(pagePath).href);
    await waitState(page, 'ready');
    await page.evaluate(() => {
      const box = document.querySelector('#fullscreen');
      if (box && box.checked) box.click();
    });
    recorder = await startRecorder(tools, pulse, dir);
    await page.click('#run');
    await waitState(page, 'running');
    const before = await clockOffset(page);
    await sleep(warmupMs);
    const sink = sinkState(pulse);
    // The same spread of hold and gap times as the desktop's taps.
    let state = 2008;
    const jitter = () => {
      state = (state * 1664525 + 1013904223) >>> 0;
      return ((state >>> 8) % 40000) / 1000;
    };
    for (let k = 0; k < taps; ++k) {
      await sleep(200 + jitter());
      await page.keyboard.down('t');
      await sleep(120 + jitter());
      await page.keyboard.up('t');
    }
    // The sound of the last taps comes a second or more after them in some browsers.
    await sleep(2500);
    const after = await clockOffset(page);
    const seen = await page.evaluate(() => window.syncBench);
    await page.keyboard.press('Escape');
    await sleep(300);
    const { samples, rows } = await recorder.finish();
    recorder = null;
    const offset = (before.offset + after.offset) / 2;
    const frames = [];
    // The frame callback k drew beat `release`; k - 1 drew `press`.
    const onScreen = (k) => (k + 1 < seen.frames.length ? seen.frames[k + 1] + offset : NaN);
    for (const [text, k] of seen.lines) {
      const line = parseConsoleLine(text);
      if (!line || k < 1) continue;
      frames.push({ beat: line.release, kind: 'release', screenMs: onScreen(k), callbackMs: seen.frames[k] + offset });
      // The press line's clock is the turn before's, when the frame times agree.
      const between = seen.frames[k] - seen.frames[k - 1];
      if (line.press !== null && Math.abs((line.release - line.press) * 500 - between) < Math.max(4, between / 4)) {
        frames.push({ beat: line.press, kind: 'press', screenMs: onScreen(k - 1), callbackMs: seen.frames[k - 1] + offset });
      }
    }
    const intervals = seen.frames.slice(1).map((t, i) => t - seen.frames[i]);
    return {
      recording: samples, rows, frames: frames.filter((f) => Number.isFinite(f.screenMs)), sink, version, errors,
      clock: { roundTripMs: Math.max(before.roundTripMs, after.roundTripMs), driftMs: after.offset - before.offset },
      frameIntervals: intervals, lines: seen.lines.length,
    };
  } finally {
    if (recorder) await recorder.finish().catch(() => {});
    await browser.close().catch(() => {});
  }
}
