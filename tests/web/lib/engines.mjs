// The browser-neutral layer the page tests are written against, with Chromium,
// Firefox and WebKit behind it. A test runs in the engine its first argument
// names (chromium when none):
//   const browser = await launch({ webgl, clickForSound, touch, screen })
//   const tab = await browser.open({ width, height, deviceScaleFactor, touch, before })
// `screen` is the size full screen fills where the engine runs in a window.
// `before` are functions run in each page before its own scripts. A tab goes to
// addresses, evaluates and waits for functions in the page, clicks, taps and
// holds, presses keys, takes screenshots, takes another size, and keeps what the
// console said in tab.record: errors, warnings, lines (console.log, in order)
// and logged (what the browser itself warned of). browser.canTouch tells
// whether its tabs can be touch screens; browser.served(html) is a page as a
// test's own web server is to serve it to its tabs. A browser that cannot start skips the
// test with the reason; run() closes it at the end.
import { closeAtEnd, loadModule, missing, skip, workDir } from './browser.mjs';
import * as chromium from './chromium_engine.mjs';
import * as firefox from './firefox_engine.mjs';
import * as webkit from './webkit_engine.mjs';

const engines = { chromium, firefox, webkit };
export const engineNames = Object.keys(engines);
export const engineName = process.argv[2] || 'chromium';
if (!engines[engineName]) {
  console.log(`FAILED: unknown engine '${engineName}' (one of ${engineNames.join(', ')})`);
  process.exit(1);
}

export async function launch(options = {}) {
  const browser = await engines[engineName].launch({ ...options, missing, skip, loadModule, workDir });
  return closeAtEnd(browser);
}

export async function waitForState(tab, wanted, timeout = 30000) {
  await tab.waitFor((states) => states.includes(document.body.dataset.state), [].concat(wanted), timeout);
  return tab.evaluate(() => document.body.dataset.state);
}

export const pause = (ms) => new Promise((done) => setTimeout(done, ms));
