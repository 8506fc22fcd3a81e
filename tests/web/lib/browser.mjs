// What the browser tests share: where the page and the tools are (from the
// environment ctest sets, tests/web/CMakeLists.txt), Debian's Chromium started
// headless through playwright-core with software WebGL, the outcome conventions
// (exit 0 pass, 1 fail, 77 skipped with its reason), and reading PNG and WAV files.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

export const skipStatus = 77;
export const chromiumPath = '/usr/bin/chromium';
export const viewport = { width: 1024, height: 768 };

const webDir = process.env.INVITATION_WEB_DIR || '';
const webRequired = process.env.INVITATION_WEB_REQUIRED === '1';
const nodeModules = process.env.INVITATION_WEB_NODE_MODULES || '';
export const captureProgram = process.env.INVITATION_CAPTURE || '';
export const outputDir = process.env.INVITATION_TEST_OUTPUT || '/tmp';

class TestFailure extends Error {}
class TestSkip extends Error {}
const browsers = [];

export function fail(message) {
  throw new TestFailure(message);
}

export function skip(reason) {
  throw new TestSkip(reason);
}

// Missing pieces fail where `make test` promised them and skip elsewhere, or
// where its set-up left out the package group they come from (the web build's
// tools, a browser), skip with the set-up's reason.
const setupState = process.env.INVITATION_SETUP_STATE || '';
export function missing(what, groups = ['web']) {
  for (const group of groups) {
    const file = join(setupState, 'left-out', group);
    if (setupState && existsSync(file)) skip(`${group} was left out by the set-up: ${readFileSync(file, 'utf8').trim()}`);
  }
  if (webRequired) fail(what);
  skip(what);
}

// The product's name, which the page's title and panel show, as the build has it:
// ctest sets it from the top CMakeLists.txt, release_page.sh from product.env.
export function productName() {
  const name = process.env.INVITATION_PRODUCT_NAME;
  if (!name) fail('INVITATION_PRODUCT_NAME is not set (ctest sets it from the build)');
  return name;
}

export function pageFile(name = 'invitation.html') {
  const path = join(webDir, name);
  if (!webDir || !existsSync(path)) missing(`no ${name} in '${webDir}' (make web builds it)`);
  return path;
}

export function pageUrl(name, query = '') {
  return pathToFileURL(pageFile(name)).href + query;
}

export function workDir(name) {
  const dir = join(outputDir, 'web', name);
  mkdirSync(dir, { recursive: true });
  return dir;
}

// An npm package of tests/web/package.json, from where make web-test-deps put it.
export function loadModule(name, groups) {
  try {
    const require = createRequire(resolve(nodeModules, 'noop.js'));
    return require(name);
  } catch (error) {
    missing(`${name} is not installed in '${nodeModules}' (make web-test-deps installs it)`, groups);
  }
  return null;
}

function loadPlaywright() {
  return loadModule('playwright-core', ['chromium']);
}

// A browser for run() to close when the test ends, however it ends.
export function closeAtEnd(browser) {
  browsers.push(browser);
  return browser;
}

// Software WebGL through SwiftShader, sound without a click, nothing fetched.
const chromiumArgs = [
  '--headless=new',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--autoplay-policy=no-user-gesture-required',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// A fresh profile each time (playwright makes and removes it). Chromium refuses
// its sandbox to root. `clickForSound: true` keeps the browser's usual rule that
// sound starts only from a click, with the warning it logs otherwise.
export async function launchChromium(extraArgs = [], { clickForSound = false } = {}) {
  if (!existsSync(chromiumPath)) missing(`${chromiumPath} is not installed (Debian package chromium)`, ['chromium']);
  const { chromium } = loadPlaywright();
  const usual = clickForSound ? chromiumArgs.filter((a) => !a.startsWith('--autoplay-policy')) : chromiumArgs;
  const args = [...usual, ...extraArgs];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  let browser = null;
  try {
    browser = await chromium.launch({ executablePath: chromiumPath, headless: true, args, timeout: 60000 });
  } catch (error) {
    skip(`chromium cannot start: ${String(error.message).split('\n')[0]}`);
  }
  browsers.push(browser);
  return browser;
}

// A page at the window size the show assumes, or of another shape (`options`
// as a browser context takes them: viewport, deviceScaleFactor, hasTouch,
// isMobile), in a context of its own, with every console error and uncaught
// exception collected, the warnings too, and the console's lines kept in order.
export async function openPage(browser, options = {}) {
  const context = await browser.newContext({ viewport, ...options });
  const page = await context.newPage();
  const record = { errors: [], warnings: [], lines: [] };
  page.on('console', (message) => {
    if (message.type() === 'error') record.errors.push(message.text());
    if (message.type() === 'warning') record.warnings.push(message.text());
    if (message.type() === 'log') {
      record.lines.push(message.text());
      console.log(`page: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => record.errors.push(String(error)));
  return { page, record };
}

export async function waitForState(page, wanted, timeout = 30000) {
  await page.waitForFunction((states) => states.includes(document.body.dataset.state), [].concat(wanted), {
    timeout,
  });
  return page.evaluate(() => document.body.dataset.state);
}

// RGBA bytes of a PNG file, through ImageMagick.
export function readRgba(path) {
  return execFileSync('convert', [path, '-depth', '8', 'rgba:-'], { maxBuffer: 256 << 20 });
}

// Interleaved 16-bit samples of a PCM WAV file.
export function readWavSamples(path) {
  const wav = readFileSync(path);
  for (let at = 12; at + 8 <= wav.length; ) {
    const id = wav.toString('ascii', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') {
      const start = wav.byteOffset + at + 8;
      return new Int16Array(wav.buffer.slice(start, start + (size & ~1)));
    }
    at += 8 + size + (size & 1);
  }
  throw new Error(`${path} has no data chunk`);
}

// Runs the test, closes the browsers it started and exits with its outcome.
export function run(test) {
  test()
    .then(
      () => 0,
      (error) => {
        if (error instanceof TestSkip) {
          console.log(`SKIPPED: ${error.message}`);
          return skipStatus;
        }
        console.log(`FAILED: ${error instanceof TestFailure ? error.message : error && error.stack}`);
        return 1;
      },
    )
    .then(async (status) => {
      await Promise.all(browsers.map((browser) => browser.close().catch(() => {})));
      process.exit(status);
    });
}
