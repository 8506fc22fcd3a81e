// Start-up of the page in headless Chromium, opened from file:// in a 1024 x 768
// window: how soon the launch panel is ready (data-state "ready", from the start
// of the navigation), how soon the show is prepared behind it (data-prepared, on
// pages that prepare), and the time from the click on Run to the end of the task
// that drew the show's first frame (its first WebGL draw). Run is clicked a
// second after the panel is ready, as a viewer would after reading it. Each page
// is opened RUNS times (5 unless given) in a fresh browser context, the pages
// taking turns, and the medians are printed side by side: give an older build's
// page to compare.
//   INVITATION_WEB_DIR=build-web INVITATION_WEB_NODE_MODULES=build-web/test-node/node_modules \
//     node bench/web/startup_bench.mjs [OLDER_PAGE.html] [RUNS]
import { existsSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { fail, launchChromium, pageFile, run } from '../../tests/web/lib/browser.mjs';

const viewport = { width: 1024, height: 768 };
const readingMs = 1000;
const waitMs = 30000;

// In the page before its own script: when its state changes, when Run is
// clicked, and when the first draw after the click has finished its task.
function watchStartUp() {
  window.startUp = { ready: null, prepared: null, click: null, firstFrame: null };
  new MutationObserver(() => {
    const body = document.body;
    if (!body) return;
    if (body.dataset.state === 'ready' && window.startUp.ready === null) window.startUp.ready = performance.now();
    if (body.dataset.prepared && window.startUp.prepared === null) window.startUp.prepared = performance.now();
  }).observe(document, { subtree: true, attributes: true, attributeFilter: ['data-state', 'data-prepared'] });
  window.addEventListener('click', (event) => {
    if (window.startUp.click === null) window.startUp.click = event.timeStamp;
  }, true);
  for (const name of ['drawArrays', 'drawElements']) {
    const draw = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function (...args) {
      if (window.startUp.click !== null && window.startUp.firstFrame === null) {
        window.startUp.firstFrame = -1;
        queueMicrotask(() => { window.startUp.firstFrame = performance.now(); });
      }
      return draw.apply(this, args);
    };
  }
}

async function measure(browser, url) {
  const context = await browser.newContext({ viewport });
  try {
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.addInitScript(watchStartUp);
    await page.goto(url);
    await page.waitForFunction(() => window.startUp.ready !== null, null, { timeout: waitMs });
    await page.waitForTimeout(readingMs);
    await page.click('#run');
    await page.waitForFunction(() => window.startUp.firstFrame > 0, null, { timeout: waitMs });
    if (errors.length) fail(`${url}: ${errors.join('; ')}`);
    const seen = await page.evaluate(() => window.startUp);
    return { ready: seen.ready, prepared: seen.prepared, runToFrame: seen.firstFrame - seen.click };
  } finally {
    await context.close();
  }
}

function median(values) {
  const sorted = values.filter((v) => v !== null).sort((a, b) => a - b);
  if (!sorted.length) return null;
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

const shown = (ms) => (ms === null ? '-' : `${ms.toFixed(0)} ms`);

run(async () => {
  const older = process.argv[2] ? resolve(process.argv[2]) : null;
  const runs = Number(process.argv[3] || 5);
  if (older && !existsSync(older)) fail(`no page at ${older}`);
  const pages = [['this build', pathToFileURL(pageFile('invitation.html')).href]];
  if (older) pages.unshift(['older page', pathToFileURL(older).href]);
  const browser = await launchChromium();
  const results = pages.map(() => []);
  // Each round in the other order, so neither page always follows the other.
  for (let k = 0; k < runs; ++k) {
    const order = k % 2 ? [...pages.keys()].reverse() : [...pages.keys()];
    for (const p of order) results[p].push(await measure(browser, pages[p][1]));
  }
  console.log(`start-up from file:// at ${viewport.width}x${viewport.height}, medians of ${runs} runs ` +
    `(Run clicked ${readingMs} ms after the panel is ready)`);
  console.log('page          panel ready   prepared   Run to first frame');
  pages.forEach(([name], p) => {
    const r = results[p];
    console.log(`${name.padEnd(12)}  ${shown(median(r.map((x) => x.ready))).padStart(11)}` +
      `  ${shown(median(r.map((x) => x.prepared))).padStart(9)}` +
      `  ${shown(median(r.map((x) => x.runToFrame))).padStart(19)}`);
    console.log(`  each run: ready ${r.map((x) => x.ready.toFixed(0)).join(' ')}; ` +
      `Run to first frame ${r.map((x) => x.runToFrame.toFixed(0)).join(' ')}`);
  });
});
