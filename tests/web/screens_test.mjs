// The page at the window shapes invitations are opened in: a 1024 x 768 window, an
// ultrawide 2560 x 1080 monitor, and a phone held upright (390 x 844 at a pixel
// ratio of 3, touch). At each, in the frozen view and in the running show (in
// full screen where the browser grants it), the drawn picture keeps its 4:3 shape,
// centred, with black bars around it, and the canvas's drawing buffer is its size
// in device pixels. On the phone, by touch: the panel's targets are big enough and
// say how to skip and end; a tap on the show brings up Skip 10 s and End show,
// which act and hide again after a while without a touch, and so does a long
// press; Run again after the end. No page logs an error or a warning.
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { fail, launchChromium, openPage, pageUrl, readRgba, run, waitForState, workDir } from './lib/browser.mjs';

const phone = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const shapes = [
  ['1024x768', { viewport: { width: 1024, height: 768 } }],
  ['2560x1080', { viewport: { width: 2560, height: 1080 } }],
  ['phone', phone],
];
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
async function canvasLayout(page) {
  return page.evaluate(() => {
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
async function checkPicture(page, shot, what) {
  const layout = await canvasLayout(page);
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
  await page.screenshot({ path: shot });
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
  const { page, record } = await openPage(browser, options);
  records.push(record);
  await page.goto(pageUrl('invitation.html', stillQuery));
  const state = await waitForState(page, ['frame', 'failed']);
  if (state !== 'frame') fail(`${name}: the frozen view says ${await page.textContent('#message')}`);
  await checkPicture(page, join(dir, `${name}_frozen.png`), `${name}, frozen view`);
  await page.context().close();
}

async function startWith(page, options) {
  if (options.hasTouch) {
    await page.tap('#run');
  } else {
    await page.click('#run');
  }
  await waitForState(page, 'running');
}

// The running show past its entry, in full screen where granted.
async function runningShow(browser, name, options, dir, records) {
  const { page, record } = await openPage(browser, options);
  records.push(record);
  await page.goto(pageUrl('invitation.html'));
  await waitForState(page, 'ready');
  await startWith(page, options);
  await page.keyboard.press('s');
  await page.waitForTimeout(1500);
  const fullscreen = await page.evaluate(() => !!document.fullscreenElement);
  await checkPicture(page, join(dir, `${name}_running.png`), `${name}, running${fullscreen ? ' in full screen' : ''}`);
  if (!options.hasTouch && !fullscreen) fail(`${name}: Run did not enter full screen`);
  if (!(await page.evaluate(() => document.getElementById('touch-controls').hidden)))
    fail(`${name}: the touch controls show without a touch`);
  await page.keyboard.press('Escape');
  await waitForState(page, 'ended', 10000);
  await page.context().close();
}

function boxOf(page, selector) {
  return page.evaluate((s) => {
    const r = document.querySelector(s).getBoundingClientRect();
    return { width: r.width, height: r.height, visible: r.width > 0 && r.height > 0 };
  }, selector);
}

async function expectTarget(page, selector, what, wide = false) {
  const box = await boxOf(page, selector);
  if (!box.visible || box.height < minTarget || (wide && box.width < minTarget))
    fail(`${what} measures ${box.width.toFixed(1)} x ${box.height.toFixed(1)} CSS pixels, under ${minTarget}`);
}

async function controlsHidden(page) {
  return page.evaluate(() => document.getElementById('touch-controls').hidden);
}

// A finger held on the canvas, through Chromium's own touch input.
async function longPress(page, x, y, holdMs) {
  const session = await page.context().newCDPSession(page);
  await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
  await page.waitForTimeout(holdMs);
  await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await session.detach();
}

async function nextLine(record, from) {
  for (let i = 0; i < 100 && record.lines.length <= from; ++i) await new Promise((r) => setTimeout(r, 50));
  const line = record.lines[from];
  if (!releaseLine.test(line || '')) fail(`expected a release line, the page printed ${JSON.stringify(record.lines.slice(from))}`);
  return Number(line);
}

async function touchPhone(browser, dir, records) {
  const { page, record } = await openPage(browser, phone);
  records.push(record);
  await page.goto(pageUrl('invitation.html'));
  await waitForState(page, 'ready');
  for (const [selector, what] of [['#run', 'Run'], ['#cancel', 'Cancel'], ['#panel label', 'the Fullscreen box']])
    await expectTarget(page, selector, `on the phone, ${what}`);
  const hint = await page.evaluate(() => document.querySelector('#panel .keys').innerText);
  if (!/Escape or right click ends, S skips 10 s\./.test(hint) || !/[Tt]ap the show/.test(hint))
    fail(`on the phone the panel says ${JSON.stringify(hint)}`);
  await page.screenshot({ path: join(dir, 'phone_panel.png') });
  await page.uncheck('#fullscreen');
  await startWith(page, phone);
  await page.waitForTimeout(500);
  if (!(await controlsHidden(page))) fail('the touch controls show before a touch');

  // A tap brings up both controls, big enough for a finger.
  await page.touchscreen.tap(195, 420);
  if (await controlsHidden(page)) fail('a tap on the show brought up no controls');
  await expectTarget(page, '#skip', 'Skip 10 s', true);
  await expectTarget(page, '#end', 'End show', true);
  const labels = await page.evaluate(() => [...document.querySelectorAll('#touch-controls button')].map((b) => b.textContent));
  if (JSON.stringify(labels) !== JSON.stringify(['Skip 10 s', 'End show'])) fail(`touch controls ${JSON.stringify(labels)}`);
  await page.screenshot({ path: join(dir, 'phone_controls.png') });

  // Skip: the clock gains 20 beats besides the time between two releases.
  let from = record.lines.length;
  const before = Date.now();
  await page.keyboard.press('x');
  const first = await nextLine(record, from);
  await page.waitForTimeout(300);
  await page.tap('#skip');
  const second = await nextLine(record, from + 1);
  const gained = second - first - (Date.now() - before) / 1000 * beatsPerSecond;
  if (Math.abs(gained - skipBeats) > 1) fail(`Skip 10 s moved the clock ${gained.toFixed(2)} beats, not ${skipBeats}`);
  console.log(`Skip 10 s moved the clock ${gained.toFixed(2)} beats on`);
  if (await controlsHidden(page)) fail('the controls hid right after Skip');

  // Left alone, they hide.
  await page.waitForTimeout(touchControlsMs + 800);
  if (!(await controlsHidden(page))) fail(`the touch controls still show ${touchControlsMs} ms after the last touch`);

  // A long press brings them up too, and ends nothing.
  await longPress(page, 195, 420, 900);
  await page.waitForTimeout(200);
  if (await controlsHidden(page)) fail('a long press on the show brought up no controls');
  if ((await page.evaluate(() => document.body.dataset.state)) !== 'running') fail('a long press ended the show');

  // End show ends it as Escape does; Run again starts it afresh.
  await page.tap('#end');
  await waitForState(page, 'ended', 10000);
  await expectTarget(page, '#again', 'Run again');
  await page.screenshot({ path: join(dir, 'phone_ended.png') });
  await page.tap('#again');
  await waitForState(page, 'running');
  await page.waitForTimeout(1000);
  if (!(await controlsHidden(page))) fail('after Run again the touch controls show without a touch');
  await page.touchscreen.tap(195, 420);
  await page.tap('#end');
  await waitForState(page, 'ended', 10000);
  await page.context().close();
}

run(async () => {
  const dir = workDir('screens');
  const browser = await launchChromium();
  const records = [];
  let logged = [];
  try {
    for (const [name, options] of shapes) {
      await frozenView(browser, name, options, dir, records);
      await runningShow(browser, name, options, dir, records);
    }
    await touchPhone(browser, dir, records);
  } finally {
    logged = records.flatMap((r) => [...r.errors, ...r.warnings]);
  }
  if (logged.length) fail(`the pages logged errors or warnings: ${JSON.stringify(logged)}`);
});
