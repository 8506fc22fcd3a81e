// WebKit behind the browser-neutral tab (engines.mjs): the MiniBrowser of
// Debian's WebKitGTK in a window on a private X server, driven by its own
// WebKitWebDriver over classic WebDriver (webdriver.mjs). WebDriver hands over
// neither the console nor scripts to run before the page's own, so a page is
// opened from a copy with a recorder of its console (and the tab's scripts) at
// the top of its head; the browser's own warnings are out of reach. WebKitGTK
// has no touch or pixel-ratio emulation: its tabs are mouse-and-keyboard ones
// at a ratio of 1.
import { spawn } from 'node:child_process';
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { basename, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { startDisplay } from './display.mjs';
import { startSoundServer } from './sound_server.mjs';
import { WebDriverSession, keyValue } from './webdriver.mjs';

export const driverPath = '/usr/bin/WebKitWebDriver';
export const miniBrowserPath = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const buttons = { left: 0, right: 2 };
const pollMs = 50;

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Kept in the page by a script that runs before the page's own: what the
// page's script writes to the console and what it throws without catching.
function recordConsole() {
  const kept = [];
  window.invitationConsole = kept;
  for (const level of ['log', 'info', 'warn', 'error']) {
    const original = console[level];
    console[level] = function (...args) {
      kept.push([level, args.map(String).join(' ')]);
      return original.apply(this, args);
    };
  }
  window.addEventListener('error', (e) => kept.push(['error', `${e.message} (${e.filename}:${e.lineno})`]));
  window.addEventListener('unhandledrejection', (e) => kept.push(['error', `unhandled rejection: ${e.reason}`]));
}

const drain = () => (window.invitationConsole ? window.invitationConsole.splice(0) : []);

class WebKitTab {
  constructor(browser, handle, record) {
    this.browser = browser;
    this.session = browser.session;
    this.handle = handle;
    this.record = record;
    this.touch = false;
    this.before = [];
    this.timer = setInterval(() => this.collect().catch(() => {}), 100);
  }
  // What the page's console holds into the record, in order.
  async collect() {
    for (const [level, text] of await this.session.evaluate(drain)) {
      if (level === 'log' || level === 'info') {
        this.record.lines.push(text);
        console.log(`page: ${text}`);
      } else {
        (level === 'warn' ? this.record.warnings : this.record.errors).push(text);
      }
    }
  }
  // A page from a file is opened from a copy whose head runs the console's
  // recorder and the tab's scripts first; over HTTP the server is to serve it
  // so (browser.served).
  async goto(url) {
    await this.collect().catch(() => {});
    if (!url.startsWith('file:')) return this.session.goto(url);
    const [address, query = ''] = url.split('?');
    const source = fileURLToPath(address);
    const copy = join(this.browser.copies, basename(source));
    const first = [recordConsole, ...this.before].map((fn) => `<script>(${fn})();</script>`).join('');
    writeFileSync(copy, readFileSync(source, 'utf8').replace(/<head>/i, (head) => head + first));
    return this.session.goto(pathToFileURL(copy).href + (query ? `?${query}` : ''));
  }
  evaluate(fn, arg) { return this.session.evaluate(fn, arg); }
  async waitFor(fn, arg, timeout = 30000) {
    const until = Date.now() + timeout;
    for (;;) {
      const value = await this.session.evaluate(fn, arg);
      if (value) return value;
      if (Date.now() > until) throw new Error(`timed out after ${timeout} ms waiting for ${String(fn).slice(0, 120)}`);
      await sleep(pollMs);
    }
  }
  async centre(selector) {
    const at = await this.evaluate((s) => {
      const element = document.querySelector(s);
      if (!element) return null;
      const box = element.getBoundingClientRect();
      return [Math.round(box.left + box.width / 2), Math.round(box.top + box.height / 2)];
    }, selector);
    if (!at) throw new Error(`no ${selector} on the page`);
    return at;
  }
  async click(selector) {
    const [x, y] = await this.centre(selector);
    await this.mouseClick(x, y);
  }
  tap() { throw new Error('WebKitGTK offers no touch input'); }
  touchTap() { return this.tap(); }
  touchHold() { return this.tap(); }
  focus(selector) { return this.evaluate((s) => document.querySelector(s).focus(), selector); }
  async uncheck(selector) {
    if (await this.evaluate((s) => document.querySelector(s).checked, selector)) await this.click(selector);
  }
  mouseClick(x, y, button = 'left') {
    const b = buttons[button];
    return this.session.actions([{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [
      { type: 'pointerMove', x, y, origin: 'viewport', duration: 0 },
      { type: 'pointerDown', button: b }, { type: 'pointerUp', button: b }] }]);
  }
  keys(actions) { return this.session.actions([{ type: 'key', id: 'keyboard', actions }]); }
  press(key) { return this.keys([{ type: 'keyDown', value: keyValue(key) }, { type: 'keyUp', value: keyValue(key) }]); }
  down(key) { return this.keys([{ type: 'keyDown', value: keyValue(key) }]); }
  up(key) { return this.keys([{ type: 'keyUp', value: keyValue(key) }]); }
  // After two of the page's frames, so the picture is the page's latest one.
  async screenshot(path) {
    await this.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    writeFileSync(path, await this.session.screenshot());
  }
  // The window is the page's size plus the browser's own bar above it.
  async resize(width, height) {
    for (let tries = 0; tries < 3; ++tries) {
      const [innerW, innerH, outerW, outerH] = await this.evaluate(() => [innerWidth, innerHeight, outerWidth, outerHeight]);
      if (innerW === width && innerH === height) return;
      await this.session.setWindowRect({ x: 0, y: 0, width: width + outerW - innerW, height: height + outerH - innerH });
      await sleep(200);
    }
    const seen = await this.evaluate(() => [innerWidth, innerHeight]);
    // Its bar keeps the window from getting as narrow as a phone held upright.
    if (seen[0] > width && seen[1] === height) {
      console.log(`WebKit's window is at least ${seen[0]} pixels wide: ${seen.join(' x ')} for ${width} x ${height}`);
      return;
    }
    if (seen[0] !== width || seen[1] !== height) throw new Error(`the WebKit window shows ${seen.join(' x ')}, not ${width} x ${height}`);
  }
  async close() {
    clearInterval(this.timer);
    await this.collect().catch(() => {});
    await this.session.releaseActions().catch(() => {});
    await this.session.closeWindow(this.browser.home);
  }
}

export async function launch({ webgl = true, clickForSound = false, screen, missing, skip, workDir }) {
  for (const [path, pkg] of [[driverPath, 'webkit2gtk-driver'], [miniBrowserPath, 'libwebkit2gtk-4.1-0']])
    if (!existsSync(path)) missing(`${path} is not installed (Debian package ${pkg})`, ['webkit']);
  const display = await startDisplay(missing, screen, ['webkit']).catch((error) => skip(`no X server for WebKit: ${error.message}`));
  const sound = await startSoundServer(missing, workDir, ['webkit']).catch((error) => skip(`no sound server for WebKit: ${error.message}`));
  const dir = workDir(`webkit-${process.pid}`);
  const port = await freePort();
  let said = '';
  const driver = spawn(driverPath, [`--port=${port}`], {
    env: { ...process.env, ...sound, DISPLAY: display },
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  driver.stdout.on('data', (d) => { said += d; });
  driver.stderr.on('data', (d) => { said += d; });
  process.on('exit', () => driver.kill());
  const args = ['--automation'];
  if (!webgl) args.push('--enable-webgl=false');
  if (!clickForSound) args.push('--autoplay-policy=allow');
  const capabilities = { 'webkitgtk:browserOptions': { binary: miniBrowserPath, args } };
  let session = null;
  for (let tries = 0; !session; ++tries) {
    await sleep(300);
    try {
      session = await WebDriverSession.create(`http://127.0.0.1:${port}`, capabilities);
    } catch (error) {
      if (tries >= 30) skip(`WebKit cannot start: ${String(error.message).split('\n')[0]} ${said.trim().split('\n').pop() || ''}`);
    }
  }
  const browser = { session, copies: dir, home: await session.windowHandle() };
  return {
    engine: 'webkit',
    canTouch: false,
    async open({ width, height, touch = false, before = [] }) {
      if (touch) throw new Error('WebKitGTK offers no touch input');
      const handle = await session.newWindow();
      const record = { errors: [], warnings: [], lines: [], logged: [] };
      const tab = new WebKitTab(browser, handle, record);
      tab.before = before;
      await tab.resize(width, height);
      return tab;
    },
    // A page as a server is to serve it to these tabs: with the recorder first.
    served: (html) => html.replace(/<head>/i, (head) => `${head}<script>(${recordConsole})();</script>`),
    close: async () => {
      await session.end().catch(() => {});
      driver.kill();
    },
  };
}
