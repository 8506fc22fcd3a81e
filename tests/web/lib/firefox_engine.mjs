// Firefox behind the browser-neutral tab (engines.mjs): Debian's firefox-esr in
// a window on a private X server (headless it offers no WebGL), driven over
// WebDriver BiDi by puppeteer-core; a fresh profile each launch.
import { existsSync } from 'node:fs';
import { startDisplay } from './display.mjs';
import { startSoundServer } from './sound_server.mjs';

export const firefoxPath = '/usr/bin/firefox-esr';
const buttons = { left: 'left', right: 'right' };
// puppeteer names the space bar by its character.
const keyNames = { Space: ' ' };
const keyName = (key) => keyNames[key] || key;

// Nothing fetched, no first-run pages; full screen without its transition or
// its notice, so a picture taken right after shows the page.
const quietPrefs = {
  'app.update.enabled': false,
  'browser.shell.checkDefaultBrowser': false,
  'datareporting.policy.dataSubmissionEnabled': false,
  'full-screen-api.transition-duration.enter': '0 0',
  'full-screen-api.transition-duration.leave': '0 0',
  'full-screen-api.warning.timeout': 0,
  'network.captive-portal-service.enabled': false,
  'toolkit.telemetry.reportingpolicy.firstRun': false,
};
// A touch screen as a phone has one: touch events, and a coarse pointer
// without hover for the page's media queries.
const touchPrefs = {
  'dom.w3c_touch_events.enabled': 1,
  'ui.primaryPointerCapabilities': 1,
  'ui.allPointerCapabilities': 1,
};

class FirefoxTab {
  constructor(page, record) {
    this.page = page;
    this.record = record;
    this.touch = false;
  }
  goto(url) { return this.page.goto(url); }
  evaluate(fn, arg) { return this.page.evaluate(fn, arg); }
  waitFor(fn, arg, timeout) { return this.page.waitForFunction(fn, { timeout, polling: 50 }, arg); }
  click(selector) { return this.page.click(selector); }
  tap(selector) { return this.page.tap(selector); }
  focus(selector) { return this.page.focus(selector); }
  async uncheck(selector) {
    if (await this.page.$eval(selector, (box) => box.checked)) await this.page.click(selector);
  }
  mouseClick(x, y, button = 'left') { return this.page.mouse.click(x, y, { button: buttons[button] }); }
  touchTap(x, y) { return this.page.touchscreen.tap(x, y); }
  async touchHold(x, y, holdMs) {
    await this.page.touchscreen.touchStart(x, y);
    await new Promise((done) => setTimeout(done, holdMs));
    await this.page.touchscreen.touchEnd();
  }
  press(key) { return this.page.keyboard.press(keyName(key)); }
  down(key) { return this.page.keyboard.down(keyName(key)); }
  up(key) { return this.page.keyboard.up(keyName(key)); }
  screenshot(path) { return this.page.screenshot({ path }); }
  resize(width, height) { return this.page.setViewport({ ...this.viewport, width, height }); }
  close() { return this.page.close(); }
}

export async function launch({ webgl = true, clickForSound = false, touch = false, screen, missing, skip, loadModule, workDir }) {
  if (!existsSync(firefoxPath)) missing(`${firefoxPath} is not installed (Debian package firefox-esr)`, ['firefox']);
  const puppeteer = loadModule('puppeteer-core', ['firefox']);
  const display = await startDisplay(missing, screen, ['firefox']).catch((error) => skip(`no X server for Firefox: ${error.message}`));
  const sound = await startSoundServer(missing, workDir, ['firefox']).catch((error) => skip(`no sound server for Firefox: ${error.message}`));
  const extraPrefsFirefox = { ...quietPrefs, ...(touch ? touchPrefs : {}) };
  if (!webgl) extraPrefsFirefox['webgl.disabled'] = true;
  // Sound only from a click is Firefox's own default.
  if (!clickForSound) extraPrefsFirefox['media.autoplay.default'] = 0;
  let browser = null;
  try {
    browser = await puppeteer.launch({
      browser: 'firefox', executablePath: firefoxPath, headless: false, extraPrefsFirefox,
      env: { ...process.env, ...sound, DISPLAY: display, MOZ_CRASHREPORTER_DISABLE: '1' }, timeout: 90000,
      protocolTimeout: 120000, defaultViewport: null,
    });
  } catch (error) {
    skip(`firefox cannot start: ${String(error.message).split('\n')[0]}`);
  }
  return {
    engine: 'firefox',
    canTouch: touch,
    async open({ width, height, deviceScaleFactor = 1, touch: wantTouch = false, before = [] }) {
      if (wantTouch && !touch) throw new Error('this Firefox was launched without touch');
      const page = await browser.newPage();
      const record = { errors: [], warnings: [], lines: [], logged: [] };
      page.on('console', (message) => {
        const type = message.type();
        if (type === 'error') record.errors.push(message.text());
        if (type === 'warn' || type === 'warning') record.warnings.push(message.text());
        if (type === 'log') {
          record.lines.push(message.text());
          console.log(`page: ${message.text()}`);
        }
      });
      page.on('pageerror', (error) => record.errors.push(String(error)));
      const tab = new FirefoxTab(page, record);
      tab.viewport = { width, height, deviceScaleFactor, hasTouch: wantTouch, isMobile: wantTouch };
      await page.setViewport(tab.viewport);
      for (const script of before) await page.evaluateOnNewDocument(script);
      tab.touch = wantTouch;
      return tab;
    },
    served: (html) => html,
    close: () => browser.close(),
  };
}
