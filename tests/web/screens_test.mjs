// The page at the window shapes invitations are opened in: a 1024 x 768 window, an
// ultrawide 2560 x 1080 monitor, and a phone held upright (390 x 844 at a pixel
// ratio of 3, touch). At each, in the frozen view and in the running show (in
// full screen where the browser grants it), the drawn picture keeps its 4:3 shape,
// centred, with black bars around it, and the canvas's drawing buffer is its size
// in device pixels. On the phone, by touch: the panel's targets are big enough and
// say how to skip and end; a tap on the show brings up Skip 10 s and End show,
// which act and hide again after a while without a touch, and so does a long
// press; Run again after the end. No page logs an error or a warning. In the
// engine the first argument names (engines.mjs). Where it runs in a window
// (Firefox, WebKit) full screen fills its X server's screen, wider than any of
// the shapes. WebKitGTK can emulate neither touch nor a pixel ratio: there the
// phone is a window of its size at a ratio of 1, and the touch part is left out.
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { fail, pageUrl, readRgba, run, workDir } from './lib/browser.mjs';
import { engineName, launch, pause, waitForState } from './lib/engines.mjs';

const phone = { width: 390, height: 844, deviceScaleFactor: 3, touch: true };
const shapes = [
  ['1024x768', { width: 1024, height: 768 }],
  ['2560x1080', { width: 2560, height: 1080 }],
  ['phone', phone],
];
const screen = { width: 2600, height: 1200 };
// A still frame past the entry: the left border and the right panel reach the
// picture's edges, top to bottom.
const stillQuery = '?at-ms=115000&seed=2008&warmup-frames=20';
const litLevel = 8;          // a channel above this is drawn, not bar
const edgeSlack = 2;         // device pixels the drawn picture may fall short of its box
const minTarget = 44;        // CSS pixels a finger needs
const touchControlsMs = 3000;
const beatsPerSecond = 2;
const skipBeats = 20;
const releaseLine = /^(\d+\.\d{6})$/;

// The bounding box of the drawn pixels in a screenshot, and how many pixels
// outside the canvas's box are not pure black.
function examine(shot, canvasBox) {
  const size = execFileSync('identify', ['-format', '%w %h', shot]).toString().split(' ').map(Number);
  const [width, height] = size;
  const rgba = readRgba(shot);
  let left = width;
  let right = -1;
  let top = height;
  let bottom = -1;
  let barPixelsNotBlack = 0;
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * 4;
      const level = Math.max(rgba[i], rgba[i + 1], rgba[i + 2]);
      const inside = x >= canvasBox.left && x < canvasBox.left + canvasBox.width &&
        y >= canvasBox.top && y < canvasBox.top + canvasBox.height;
      if (!inside && level > 0) barPixelsNotBlack += 1;
      if (level > litLevel) {
        left = Math.min(left, x);
        right = Math.max(right, x);
        top = Math.min(top, y);
        bottom = Math.max(bottom, y);
      }
    }
  }
  return { width, height, drawn: { left, top, width: right - left + 1, height: bottom - top + 1 }, barPixelsNotBlack };
}

// The canvas's box in device pixels, and its drawing buffer.
async function canvasLayout(tab) {
  return tab.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio;
    return {
      box: { left: Math.round(box.left * ratio), top: Math.round(box.top * ratio),
        width: Math.round(box.width * ratio), height: Math.round(box.height * ratio) },
      buffer: [canvas.width, canvas.height],
      window: [Math.round(window.innerWidth * ratio), Math.round(window.innerHeight * ratio)],
      ratio,
    };
  });
}

// The picture is 4:3, centred, fills its box, sharp (buffer = box) and the bars are black.
async function checkPicture(tab, shot, what) {
  const layout = await canvasLayout(tab);
  const { box, buffer } = layout;
  const [windowWidth, windowHeight] = layout.window;
  if (buffer[0] !== box.width || buffer[1] !== box.height)
    fail(`${what}: the drawing buffer ${buffer.join(' x ')} is not the canvas's ${box.width} x ${box.height} device pixels`);
  if (box.width * 3 !== box.height * 4) fail(`${what}: the canvas is ${box.width} x ${box.height}, not 4:3`);
  // As large as the window allows in whole CSS pixels (short of it by less than
  // one step of 4 x 3), centred to a CSS pixel.
  const cssPixel = layout.ratio;
  const leftBar = box.left;
  const rightBar = windowWidth - box.left - box.width;
  const topBar = box.top;
  const bottomBar = windowHeight - box.top - box.height;
  if (Math.min(leftBar, rightBar, topBar, bottomBar) < 0 || Math.abs(leftBar - rightBar) > cssPixel ||
      Math.abs(topBar - bottomBar) > cssPixel || Math.min(leftBar + rightBar, topBar + bottomBar) >= 4 * cssPixel)
    fail(`${what}: the canvas ${JSON.stringify(box)} is not the largest centred 4:3 box in ${windowWidth} x ${windowHeight}`);
  await tab.screenshot(shot);
  const seen = examine(shot, box);
  const d = seen.drawn;
  if (d.left < box.left || d.top < box.top || d.left + d.width > box.left + box.width ||
      d.top + d.height > box.top + box.height || box.width - d.width > 2 * edgeSlack ||
      box.height - d.height > 2 * edgeSlack)
    fail(`${what}: the drawn picture ${JSON.stringify(d)} does not fill the canvas ${JSON.stringify(box)} (${shot})`);
  if (seen.barPixelsNotBlack) fail(`${what}: ${seen.barPixelsNotBlack} pixels of the bars are not black (${shot})`);
  console.log(`${what}: picture ${d.width} x ${d.height} at ${d.left},${d.top} in ${seen.width} x ${seen.height}, ` +
    `bars ${leftBar}/${rightBar} x ${topBar}/${bottomBar}`);
}

async function frozenView(browser, name, options, dir, records) {
  const tab = await browser.open(options);
  records.push(tab.record);
  await tab.goto(pageUrl('invitation.html', stillQuery));
  const state = await waitForState(tab, ['frame', 'failed']);
  if (state !== 'frame') fail(`${name}: the frozen view says ${await tab.evaluate(() => document.getElementById('message').textContent)}`);
  await checkPicture(tab, join(dir, `${name}_frozen.png`), `${name}, frozen view`);
  await tab.close();
}

async function startWith(tab, options) {
  if (options.touch) {
    await tab.tap('#run');
  } else {
    await tab.click('#run');
  }
  await waitForState(tab, 'running');
}

// The running show past its entry, in full screen where granted.
async function runningShow(browser, name, options, dir, records) {
  const tab = await browser.open(options);
  records.push(tab.record);
  await tab.goto(pageUrl('invitation.html'));
  await waitForState(tab, 'ready');
  // Firefox's emulated phone gives way to the whole X screen in full screen,
  // which is no phone: there the phone runs the show in the page.
  if (options.touch && engineName === 'firefox') await tab.uncheck('#fullscreen');
  await startWith(tab, options);
  await tab.press('s');
  await pause(1500);
  const fullscreen = await tab.evaluate(() => !!document.fullscreenElement);
  await checkPicture(tab, join(dir, `${name}_running.png`), `${name}, running${fullscreen ? ' in full screen' : ''}`);
  if (!options.touch && !fullscreen) fail(`${name}: Run did not enter full screen`);
  if (!(await tab.evaluate(() => document.getElementById('touch-controls').hidden)))
    fail(`${name}: the touch controls show without a touch`);
  await tab.press('Escape');
  await waitForState(tab, 'ended', 10000);
  await tab.close();
}

function boxOf(tab, selector) {
  return tab.evaluate((s) => {
    const r = document.querySelector(s).getBoundingClientRect();
    return { width: r.width, height: r.height, visible: r.width > 0 && r.height > 0 };
  }, selector);
}

async function expectTarget(tab, selector, what, wide = false) {
  const box = await boxOf(tab, selector);
  if (!box.visible || box.height < minTarget || (wide && box.width < minTarget))
    fail(`${what} measures ${box.width.toFixed(1)} x ${box.height.toFixed(1)} CSS pixels, under ${minTarget}`);
}

async function controlsHidden(tab) {
  return tab.evaluate(() => document.getElementById('touch-controls').hidden);
}


async function nextLine(record, from) {
  for (let i = 0; i < 100 && record.lines.length <= from; ++i) await new Promise((r) => setTimeout(r, 50));
  const line = record.lines[from];
  if (!releaseLine.test(line || '')) fail(`expected a release line, the page printed ${JSON.stringify(record.lines.slice(from))}`);
  return Number(line);
}

async function touchPhone(browser, dir, records) {
  const tab = await browser.open(phone);
  const { record } = tab;
  records.push(record);
  await tab.goto(pageUrl('invitation.html'));
  await waitForState(tab, 'ready');
  for (const [selector, what] of [['#run', 'Run'], ['#cancel', 'Cancel'], ['#panel label', 'the Fullscreen box']])
    await expectTarget(tab, selector, `on the phone, ${what}`);
  const hint = await tab.evaluate(() => document.querySelector('#panel .keys').innerText);
  if (!/Escape or right click ends, S skips 10 s\./.test(hint) || !/[Tt]ap the show/.test(hint))
    fail(`on the phone the panel says ${JSON.stringify(hint)}`);
  await tab.screenshot(join(dir, 'phone_panel.png'));
  await tab.uncheck('#fullscreen');
  await startWith(tab, phone);
  await pause(500);
  if (!(await controlsHidden(tab))) fail('the touch controls show before a touch');

  // A tap brings up both controls, big enough for a finger.
  await tab.touchTap(195, 420);
  if (await controlsHidden(tab)) fail('a tap on the show brought up no controls');
  await expectTarget(tab, '#skip', 'Skip 10 s', true);
  await expectTarget(tab, '#end', 'End show', true);
  const labels = await tab.evaluate(() => [...document.querySelectorAll('#touch-controls button')].map((b) => b.textContent));
  if (JSON.stringify(labels) !== JSON.stringify(['Skip 10 s', 'End show'])) fail(`touch controls ${JSON.stringify(labels)}`);
  await tab.screenshot(join(dir, 'phone_controls.png'));

  // Skip: the clock gains 20 beats besides the time between two releases.
  let from = record.lines.length;
  const before = Date.now();
  await tab.press('x');
  const first = await nextLine(record, from);
  await pause(300);
  await tab.tap('#skip');
  const second = await nextLine(record, from + 1);
  const gained = second - first - (Date.now() - before) / 1000 * beatsPerSecond;
  if (Math.abs(gained - skipBeats) > 1) fail(`Skip 10 s moved the clock ${gained.toFixed(2)} beats, not ${skipBeats}`);
  console.log(`Skip 10 s moved the clock ${gained.toFixed(2)} beats on`);
  if (await controlsHidden(tab)) fail('the controls hid right after Skip');

  // Left alone, they hide.
  await pause(touchControlsMs + 800);
  if (!(await controlsHidden(tab))) fail(`the touch controls still show ${touchControlsMs} ms after the last touch`);

  // A long press brings them up too, and ends nothing.
  await tab.touchHold(195, 420, 900);
  await pause(200);
  if (await controlsHidden(tab)) fail('a long press on the show brought up no controls');
  if ((await tab.evaluate(() => document.body.dataset.state)) !== 'running') fail('a long press ended the show');

  // End show ends it as Escape does; Run again starts it afresh.
  await tab.tap('#end');
  await waitForState(tab, 'ended', 10000);
  await expectTarget(tab, '#again', 'Run again');
  await tab.screenshot(join(dir, 'phone_ended.png'));
  await tab.tap('#again');
  await waitForState(tab, 'running');
  await pause(1000);
  if (!(await controlsHidden(tab))) fail('after Run again the touch controls show without a touch');
  await tab.touchTap(195, 420);
  await tab.tap('#end');
  await waitForState(tab, 'ended', 10000);
  await tab.close();
}

run(async () => {
  const dir = workDir(`screens-${engineName}`);
  let browser = await launch({ screen });
  const records = [];
  let logged = [];
  try {
    for (const [name, options] of shapes) {
      // Firefox takes its touch screen from its settings, for a browser of its
      // own; two of its windows at once would hide one from the other.
      if (options.touch && !browser.canTouch && engineName === 'firefox') {
        await browser.close();
        browser = await launch({ screen, touch: true });
      }
      const shaped = options.touch && !browser.canTouch ? { width: options.width, height: options.height } : options;
      await frozenView(browser, name, shaped, dir, records);
      await runningShow(browser, name, shaped, dir, records);
    }
    if (browser.canTouch) await touchPhone(browser, dir, records);
    else console.log(`${engineName} emulates no touch screen: the phone is a window of its size, and its touch part is left out`);
  } finally {
    logged = records.flatMap((r) => [...r.errors, ...r.warnings]);
  }
  if (logged.length) fail(`the pages logged errors or warnings: ${JSON.stringify(logged)}`);
});
