// The page as a viewer meets it with keyboard and mouse, opened from file://: the
// launch panel, its buttons in the desktop dialog's order and its line on the
// keys; Cancel and Escape, which start nothing; Run with Enter, which starts the
// show in full screen with its sound and draws it; T and key releases, which
// write the authoring lines; S, which moves the clock 20 beats on; Escape and the
// right button, which end the show, its sound and full screen; Run again, which
// starts the show afresh, in full screen again; a left click, which brings up
// nothing; the picture following the window in its 4:3 shape; and a browser
// without WebGL, where Run says so and starts nothing. No page may log an error.
// In the engine the first argument names (engines.mjs).
import { fail, pageUrl, productName, run, viewport, workDir } from './lib/browser.mjs';
import { engineName, launch, pause, waitForState } from './lib/engines.mjs';
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';

const authoringLine = /^\|\| timing_beats > (\d+\.\d{6}) && timing_beats <= (\d+\.\d{6})$/;
const releaseLine = /^(\d+\.\d{6})$/;
const beatsPerSecond = 2;
const skipBeats = 20;
const heldMs = 400;
// A second into the show the particle field and its cubes are up.
const firstLookMs = 1000;
const minLitPixels = 300;
const minColours = 16;
const keysLine = 'Escape or right click ends, S skips 10 s.';
const clockSlackBeats = 0.5;
// Firefox and WebKitGTK make an audio context suspended and start it once their
// sound server has opened the stream, later than the first look in a busy run.
const soundStartMs = { chromium: 0, firefox: 5000, webkit: 5000 }[engineName];

// Counts the audio contexts the show opens, keeping the last one, and the draws
// made on WebGL.
function watchAudioContexts() {
  window.audioContextsOpened = 0;
  const Original = window.AudioContext;
  window.AudioContext = class extends Original {
    constructor(...args) {
      super(...args);
      window.audioContextsOpened += 1;
      window.lastAudioContext = this;
    }
  };
  window.drawCalls = 0;
  // WebKit with WebGL turned off has no WebGLRenderingContext at all.
  if (typeof WebGLRenderingContext === 'undefined') return;
  for (const name of ['drawArrays', 'drawElements']) {
    const draw = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function (...args) {
      window.drawCalls += 1;
      return draw.apply(this, args);
    };
  }
}

async function freshPage(browser, tabs) {
  const tab = await browser.open({ ...viewport, before: [watchAudioContexts] });
  tabs.push(tab);
  await tab.goto(pageUrl('invitation.html'));
  await waitForState(tab, 'ready');
  return tab;
}

// The show is prepared behind the panel (its canvas set up, the module loaded),
// but after Cancel nothing is drawn and no sound is opened.
async function expectNothingStarted(tab, how) {
  await pause(300);
  const seen = await tab.evaluate(() => ({
    message: document.getElementById('message').textContent,
    canvasHidden: document.getElementById('canvas').hidden,
    panelHidden: document.getElementById('panel').hidden,
    draws: window.drawCalls,
    contexts: window.audioContextsOpened,
  }));
  if (seen.message !== 'The show was cancelled.') fail(`${how}: the page says '${seen.message}'`);
  if (!seen.panelHidden || !seen.canvasHidden) fail(`${how}: the panel or the canvas is still shown`);
  if (seen.draws !== 0) fail(`${how}: ${seen.draws} draws were made`);
  if (seen.contexts !== 0) fail(`${how}: an audio context was opened`);
}

async function checkPanel(tab) {
  const panel = await tab.evaluate(() => ({
    title: document.title,
    caption: document.getElementById('caption').textContent,
    checked: document.getElementById('fullscreen').checked,
    keys: document.querySelector('#panel .keys').innerText.trim(),
    buttons: [...document.querySelectorAll('#panel button')].map((b) => [b.textContent, b.disabled]),
    lefts: ['cancel', 'run'].map((id) => document.getElementById(id).getBoundingClientRect().left),
    focused: document.activeElement.id,
  }));
  const caption = productName();
  if (panel.title !== caption || panel.caption !== caption) fail(`panel caption ${JSON.stringify(panel)}`);
  if (!panel.checked) fail('the Fullscreen box is not checked');
  // As in the desktop dialog: Cancel on the left, Run, the default, on the right.
  if (JSON.stringify(panel.buttons) !== JSON.stringify([['Cancel', false], ['Run', false]]) ||
      !(panel.lefts[0] < panel.lefts[1]) || panel.focused !== 'run')
    fail(`panel buttons ${JSON.stringify(panel)}`);
  // Keyboard and mouse see the keys in one line, and no word of touch.
  if (panel.keys !== keysLine) fail(`the panel's keys line reads ${JSON.stringify(panel.keys)}`);
}

// With the show prepared behind it (its keyboard handling set up, which takes
// every key), the panel still works as any page's: Tab moves between its
// controls and Space toggles the box.
async function panelKeysWithShowPrepared(tab) {
  await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, 30000);
  await tab.focus('#fullscreen');
  await tab.press('Space');
  const toggled = await tab.evaluate(() => document.getElementById('fullscreen').checked);
  await tab.press('Space');
  await tab.press('Tab');
  const seen = await tab.evaluate(() => [document.getElementById('fullscreen').checked, document.activeElement.id]);
  if (toggled || !seen[0] || seen[1] !== 'cancel')
    fail(`on the prepared panel Space and Tab do not work: box ${toggled} then ${seen[0]}, focus on '${seen[1]}'`);
  await tab.focus('#run');
}

// The show's clock waits at beat 0 until the sound is heard, which in Firefox
// and WebKit can take a second or two more: the picture is looked at again,
// half a second apart, for up to 2 s before it counts as blank.
const shotTries = 5;
async function shootDrawn(tab, path) {
  let lit = 0;
  let colours = 0;
  for (let attempt = 1; attempt <= shotTries; ++attempt) {
    if (attempt > 1) await pause(500);
    await tab.screenshot(path);
    lit = Number(execFileSync('convert', [path, '-colorspace', 'Gray', '-threshold', '4%', '-format', '%[fx:mean*w*h]', 'info:'])
      .toString());
    colours = Number(execFileSync('convert', [path, '-format', '%k', 'info:']).toString());
    if (lit >= minLitPixels && colours >= minColours) {
      const when = attempt === 1 ? 'a second into the show' : `${(1 + (attempt - 1) / 2).toFixed(1)} s into the show`;
      console.log(`${when}: ${lit} lit pixels, ${colours} colours`);
      return;
    }
  }
  fail(`the canvas looks blank 3 s into the show: ${lit} lit pixels, ${colours} colours (${path})`);
}

// Lines the page printed from `from` on.
function newLines(record, from) {
  return record.lines.slice(from);
}

// How long the key was held, from the press sent to the release sent: an
// engine may take long to send one.
async function pressAndRelease(tab, key, holdMs = 60) {
  await tab.down(key);
  const pressed = Date.now();
  await pause(holdMs);
  await tab.up(key);
  return Date.now() - pressed;
}

async function waitForLines(record, from, count) {
  for (let i = 0; i < 100 && record.lines.length < from + count; ++i) await new Promise((r) => setTimeout(r, 50));
  return newLines(record, from);
}

// Enter on the focused control, then a first look at the running show: full
// screen, the audio contexts opened so far and the last one's state, and whether
// the end's message and Run again are still shown. Also when the key went down.
async function startWithEnter(tab) {
  const pressed = Date.now();
  await tab.press('Enter');
  await waitForState(tab, 'running');
  await pause(firstLookMs);
  if (soundStartMs) {
    await tab.waitFor(() => window.lastAudioContext && window.lastAudioContext.state === 'running', null, soundStartMs)
      .catch(() => {});
  }
  const started = await tab.evaluate(() => ({
    fullscreen: document.fullscreenElement === document.documentElement,
    contexts: window.audioContextsOpened,
    audio: window.lastAudioContext ? window.lastAudioContext.state : 'none',
    message: !document.getElementById('message').hidden,
    again: !document.getElementById('again').hidden,
  }));
  return { pressed, started };
}

async function runWithEnter(browser, tabs, dir) {
  const tab = await freshPage(browser, tabs);
  const { record } = tab;
  const { started } = await startWithEnter(tab);
  if (!started.fullscreen) fail('Run with the box checked did not enter full screen');
  if (started.contexts !== 1 || started.audio !== 'running') fail(`sound did not start: ${JSON.stringify(started)}`);
  await shootDrawn(tab, join(dir, 'running.png'));
  if (record.lines.length !== 0) fail(`the Enter that ran the show printed ${JSON.stringify(record.lines)}`);

  // T held for a while: one line, the interval it was held.
  let from = record.lines.length;
  const heldFor = await pressAndRelease(tab, 't', heldMs);
  let lines = await waitForLines(record, from, 1);
  const held = lines.length === 1 && authoringLine.exec(lines[0]);
  if (!held) fail(`T printed ${JSON.stringify(lines)}`);
  const heldBeats = Number(held[2]) - Number(held[1]);
  if (!(heldBeats > 0.5 * heldFor / 1000 * beatsPerSecond && heldBeats < 3 * heldFor / 1000 * beatsPerSecond))
    fail(`T was held ${heldFor} ms but the line spans ${heldBeats} beats`);

  // A release before and after S: the clock gained 20 beats besides the time between.
  // Timed from the first release on, as an engine may take long to send a key.
  from = record.lines.length;
  await pressAndRelease(tab, 'x');
  const before = Date.now();
  await pause(300);
  await pressAndRelease(tab, 's');
  const between = (Date.now() - before) / 1000 * beatsPerSecond;
  lines = await waitForLines(record, from, 2);
  if (lines.length !== 2 || !releaseLine.test(lines[0]) || !releaseLine.test(lines[1]))
    fail(`releases printed ${JSON.stringify(lines)}`);
  const gained = Number(lines[1]) - Number(lines[0]) - between;
  if (Math.abs(gained - skipBeats) > 1) fail(`S moved the clock ${gained.toFixed(2)} beats, not ${skipBeats}`);
  console.log(`S moved the clock ${gained.toFixed(2)} beats on`);

  await escapeInFullScreen(tab);
  await expectEnded(tab, 'Escape');
  await runAgain(tab, record, dir);
  await tab.close();
}

// Run again, with Enter on the button the end leaves focused: the show starts
// afresh, with a new sound and in full screen again, as the box still asks.
async function runAgain(tab, record, dir) {
  const offered = await tab.evaluate(() => {
    const again = document.getElementById('again');
    return { shown: !again.hidden, focused: document.activeElement === again };
  });
  if (!offered.shown || !offered.focused) fail(`after the end Run again is not offered: ${JSON.stringify(offered)}`);
  const { pressed, started } = await startWithEnter(tab);
  if (!started.fullscreen || started.contexts !== 2 || started.audio !== 'running' || started.message || started.again)
    fail(`Run again did not start the show as Run does: ${JSON.stringify(started)}`);
  await shootDrawn(tab, join(dir, 'run_again.png'));
  const from = record.lines.length;
  await pressAndRelease(tab, 'x');
  const lines = await waitForLines(record, from, 1);
  if (lines.length !== 1 || !releaseLine.test(lines[0])) fail(`after Run again a release printed ${JSON.stringify(lines)}`);
  // The clock counts from Run again: no further on than the time since.
  const sinceRun = (Date.now() - pressed) / 1000 * beatsPerSecond;
  if (!(Number(lines[0]) <= sinceRun + clockSlackBeats))
    fail(`after Run again the clock stands at beat ${lines[0]}, ${sinceRun.toFixed(2)} beats after Run again`);
  await escapeInFullScreen(tab);
  await expectEnded(tab, 'Escape after Run again');
}

// Escape held until the show has ended. Firefox keeps Escape in full screen for
// leaving it, which it does when the key is released, and hands the page no key
// at all; the page ends the show when its full screen is left.
const endsOnRelease = engineName === 'firefox';
async function escapeInFullScreen(tab) {
  await tab.down('Escape');
  if (endsOnRelease) await tab.up('Escape');
  await waitForState(tab, 'ended', 10000);
  if (!endsOnRelease) await tab.up('Escape');
}

async function expectEnded(tab, how) {
  await pause(200);
  const ended = await tab.evaluate(() => ({
    message: document.getElementById('message').textContent,
    fullscreen: !!document.fullscreenElement,
    audio: window.lastAudioContext ? window.lastAudioContext.state : 'none',
    canvasHidden: document.getElementById('canvas').hidden,
  }));
  if (ended.message !== 'The show has ended.') fail(`${how}: the page says '${ended.message}'`);
  if (ended.fullscreen) fail(`${how}: the page is still in full screen`);
  if (ended.audio !== 'suspended') fail(`${how}: the sound is still ${ended.audio}`);
  if (!ended.canvasHidden) fail(`${how}: the canvas is still shown`);
}

async function endWithRightButton(browser, tabs, dir) {
  const tab = await freshPage(browser, tabs);
  await tab.uncheck('#fullscreen');
  await tab.click('#run');
  await waitForState(tab, 'running');
  await pause(500);
  if (await tab.evaluate(() => !!document.fullscreenElement)) fail('Run without the box entered full screen');
  // Past the entry (beat 16): the panel stands at the right edge.
  await pressAndRelease(tab, 's');
  await followWindow(tab, dir);
  await tab.mouseClick(500, 300, 'left');
  await pause(300);
  if ((await tab.evaluate(() => document.body.dataset.state)) !== 'running') fail('the left button ended the show');
  if (!(await tab.evaluate(() => document.getElementById('touch-controls').hidden)))
    fail('a mouse click brought up the touch controls');
  await tab.mouseClick(500, 300, 'right');
  await waitForState(tab, 'ended', 10000);
  await expectEnded(tab, 'the right button');
  await tab.close();
}

// Blue of the window's strip x..x+8, averaged.
function stripBlue(shot, x) {
  return Number(execFileSync('convert', [shot, '-crop', `8x720+${x}+0`, '-scale', '1x1!', '-format',
    '%[fx:int(255*b)]', 'info:']).toString());
}

// A window of another shape: the drawing buffer follows the picture's 4:3 box,
// 960 x 720 in the middle of 1280 x 720, and black bars fill the rest.
async function followWindow(tab, dir) {
  await tab.resize(1280, 720);
  await pause(500);
  const buffer = await tab.evaluate(() => [document.getElementById('canvas').width, document.getElementById('canvas').height]);
  if (buffer[0] !== 960 || buffer[1] !== 720) fail(`after a resize the drawing buffer is ${buffer.join(' x ')}`);
  const shot = join(dir, 'resized.png');
  await tab.screenshot(shot);
  // The panel's right edge reaches the picture's right edge, not the window's.
  const edges = [stripBlue(shot, 1112), stripBlue(shot, 1272), stripBlue(shot, 0)];
  if (edges[0] < 40 || edges[1] !== 0 || edges[2] !== 0)
    fail(`after a resize the panel and the bars are not where they belong (blue ${edges.join(', ')})`);
  await tab.resize(1024, 768);
}

async function withoutWebGL(tabs) {
  const browser = await launch({ webgl: false });
  const tab = await browser.open({ ...viewport, before: [watchAudioContexts] });
  tabs.push(tab);
  await tab.goto(pageUrl('invitation.html'));
  await waitForState(tab, 'ready');
  await tab.press('Enter');
  await waitForState(tab, 'failed');
  const seen = await tab.evaluate(() => [document.getElementById('message').textContent, window.audioContextsOpened]);
  if (seen[0] !== 'This browser offers no WebGL, which the show draws with.' || seen[1] !== 0)
    fail(`without WebGL: ${JSON.stringify(seen)}`);
}

run(async () => {
  const dir = workDir(`page-${engineName}`);
  const browser = await launch();
  const tabs = [];
  let errors = [];
  try {
    const first = await freshPage(browser, tabs);
    await checkPanel(first);
    await panelKeysWithShowPrepared(first);
    await first.press('Escape');
    await waitForState(first, 'cancelled');
    await expectNothingStarted(first, 'Escape on the panel');
    await first.close();

    const second = await freshPage(browser, tabs);
    await second.click('#cancel');
    await waitForState(second, 'cancelled');
    await expectNothingStarted(second, 'Cancel');
    await second.close();

    await runWithEnter(browser, tabs, dir);
    await endWithRightButton(browser, tabs, dir);
    await withoutWebGL(tabs);
  } finally {
    errors = tabs.flatMap((t) => t.record.errors);
  }
  if (errors.length) fail(`the page logged errors: ${JSON.stringify(errors)}`);
});
