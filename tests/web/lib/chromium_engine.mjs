// Chromium behind the browser-neutral tab (engines.mjs): Debian's chromium,
// headless, through playwright-core.
import { launchChromium, openPage } from './browser.mjs';

const buttons = { left: 'left', right: 'right' };

class ChromiumTab {
  constructor(page, record) {
    this.page = page;
    this.record = record;
    this.touch = false;
  }
  goto(url) { return this.page.goto(url); }
  evaluate(fn, arg) { return this.page.evaluate(fn, arg); }
  waitFor(fn, arg, timeout) { return this.page.waitForFunction(fn, arg, { timeout }); }
  click(selector) { return this.page.click(selector); }
  tap(selector) { return this.page.tap(selector); }
  focus(selector) { return this.page.focus(selector); }
  uncheck(selector) { return this.page.uncheck(selector); }
  mouseClick(x, y, button = 'left') { return this.page.mouse.click(x, y, { button: buttons[button] }); }
  touchTap(x, y) { return this.page.touchscreen.tap(x, y); }
  // A finger held down, through Chromium's own touch input.
  async touchHold(x, y, holdMs) {
    const session = await this.page.context().newCDPSession(this.page);
    await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
    await this.page.waitForTimeout(holdMs);
    await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await session.detach();
  }
  press(key) { return this.page.keyboard.press(key); }
  down(key) { return this.page.keyboard.down(key); }
  up(key) { return this.page.keyboard.up(key); }
  screenshot(path) { return this.page.screenshot({ path }); }
  resize(width, height) { return this.page.setViewportSize({ width, height }); }
  close() { return this.page.context().close(); }
}

// Everything the browser itself logs (failed loads, blocked sound) besides the
// page's console.
async function watchBrowserLog(page, record) {
  const session = await page.context().newCDPSession(page);
  session.on('Log.entryAdded', ({ entry }) => {
    if (entry.level === 'error' || entry.level === 'warning') record.logged.push(`${entry.level}: ${entry.text} (${entry.url || ''})`);
  });
  await session.send('Log.enable');
}

export async function launch({ webgl = true, clickForSound = false } = {}) {
  const browser = await launchChromium(webgl ? [] : ['--disable-3d-apis'], { clickForSound });
  return {
    engine: 'chromium',
    canTouch: true,
    async open({ width, height, deviceScaleFactor = 1, touch = false, before = [] }) {
      const options = { viewport: { width, height }, deviceScaleFactor };
      if (touch) Object.assign(options, { isMobile: true, hasTouch: true });
      const { page, record } = await openPage(browser, options);
      record.logged = [];
      await watchBrowserLog(page, record);
      for (const script of before) await page.addInitScript(script);
      const tab = new ChromiumTab(page, record);
      tab.touch = touch;
      return tab;
    },
    served: (html) => html,
    close: () => browser.close(),
  };
}
