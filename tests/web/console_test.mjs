// The page's head and its console. The head describes the invitation for link
// previews (description, og:title, og:description, og:image naming the picture
// the release ships beside the page) and carries one of the committed icons
// inside itself. A whole visit, opened from file:// and from a local web server
// (127.0.0.1): the panel, the show prepared behind it, Run, S, Escape, Run again,
// the right button, and the frozen view, with the browser's usual rule that
// sound needs a click. Nothing may be logged as an error or a warning, by the
// page or by the browser (which warns, for one, about an audio context made
// before a click, and about every address it fails to load), and over HTTP the
// browser asks for the page alone: no icon or anything else from the server. In
// the engine the first argument names (engines.mjs). What the browser itself
// logs is read where its driver hands it over (Chromium's log); Firefox's and
// WebKit's drivers hand over what the page's script logs and throws.
import { createServer } from 'node:http';
import { readdirSync, readFileSync } from 'node:fs';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { basename, dirname, join, resolve, sep } from 'node:path';
import { fail, pageFile, productName, run, viewport } from './lib/browser.mjs';
import { engineName, launch, pause, waitForState } from './lib/engines.mjs';

const iconFolder = fileURLToPath(new URL('../../src/assets/icon/', import.meta.url));
const stillQuery = '?at-ms=18600&seed=2008&warmup-frames=30';

async function checkHead(tab) {
  const head = await tab.evaluate(() => {
    const meta = (key) => {
      const element = document.querySelector(`meta[name="${key}"], meta[property="${key}"]`);
      return element ? element.content : null;
    };
    const icons = [...document.querySelectorAll('link[rel~="icon"]')].map((l) => l.getAttribute('href'));
    return {
      title: document.title, description: meta('description'), ogTitle: meta('og:title'),
      ogDescription: meta('og:description'), ogImage: meta('og:image'), icons,
    };
  });
  const caption = productName();
  if (head.title !== caption || head.ogTitle !== caption) fail(`the page's titles: ${JSON.stringify(head)}`);
  for (const [name, text] of [['description', head.description], ['og:description', head.ogDescription]]) {
    if (!text || !text.includes('Norvale 2008') || text.length > 200) fail(`the page's ${name}: ${JSON.stringify(text)}`);
  }
  if (head.ogImage !== 'invitation.png') fail(`og:image names ${JSON.stringify(head.ogImage)}, not invitation.png`);
  const prefix = 'data:image/png;base64,';
  if (head.icons.length !== 1 || !head.icons[0].startsWith(prefix)) fail(`the page's icons: ${head.icons.map((i) => i.slice(0, 40))}`);
  const carried = Buffer.from(head.icons[0].slice(prefix.length), 'base64');
  const committed = readdirSync(iconFolder).filter((name) => name.endsWith('.png'))
    .find((name) => readFileSync(join(iconFolder, name)).equals(carried));
  if (!committed) fail(`the page's icon (${carried.length} bytes) is none of the PNGs in ${iconFolder}`);
  console.log(`head: description, og:title, og:description, og:image ${head.ogImage}, icon ${committed} inside`);
}

// The page's folder over HTTP on 127.0.0.1, noting every request and its answer;
// pages as the engine's tabs need them served (served()).
async function serve(folder, served) {
  const requests = [];
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = resolve(folder, '.' + path);
    let status = 404;
    let body = 'not found';
    if (request.method === 'GET' && file.startsWith(folder + sep) && basename(file).endsWith('.html')) {
      try {
        body = served(readFileSync(file, 'utf8'));
        status = 200;
      } catch (error) {
        status = 404;
      }
    }
    requests.push(`${path} ${status}`);
    response.writeHead(status, { 'content-type': status === 200 ? 'text/html; charset=utf-8' : 'text/plain' });
    response.end(body);
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { server, requests, base: `http://127.0.0.1:${server.address().port}/` };
}

async function visit(browser, url, how) {
  const tab = await browser.open(viewport);
  const { record } = tab;
  await tab.goto(url);
  await waitForState(tab, 'ready');
  await checkHead(tab);
  await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, 30000);
  await tab.click('#run');
  await waitForState(tab, 'running');
  await pause(1500);
  await tab.press('s');
  await pause(500);
  await tab.press('Escape');
  await waitForState(tab, 'ended', 10000);
  await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, 30000);
  await tab.click('#again');
  await waitForState(tab, 'running');
  await pause(1000);
  await tab.mouseClick(512, 384, 'right');
  await waitForState(tab, 'ended', 10000);
  await tab.goto(url + stillQuery);
  await waitForState(tab, 'frame');
  await pause(300);
  await tab.close();
  const logged = [...record.errors, ...record.warnings, ...record.logged];
  if (logged.length) fail(`${how}: the console holds ${JSON.stringify(logged)}`);
  console.log(`${engineName}, ${how}: a visit with two runs and the frozen view, nothing logged`);
}

run(async () => {
  const folder = dirname(pageFile('invitation.html'));
  const browser = await launch({ clickForSound: true });
  await visit(browser, pathToFileURL(join(folder, 'invitation.html')).href, 'from file://');
  const { server, requests, base } = await serve(folder, browser.served);
  try {
    await visit(browser, base + 'invitation.html', 'over HTTP');
  } finally {
    server.close();
  }
  const others = requests.filter((r) => !r.startsWith('/invitation.html 200'));
  if (others.length) fail(`over HTTP the browser asked for more than the page: ${JSON.stringify(requests)}`);
});
