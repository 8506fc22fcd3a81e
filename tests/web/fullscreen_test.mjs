// A browser without the Fullscreen API, or one that refuses it (an iPhone has
// no requestFullscreen; a browser may reject the request): with the Fullscreen
// box checked, Run starts the show in the page, Escape ends it, Run again starts
// it once more, and nothing is logged. In the engine the first argument names.
import { fail, pageUrl, run, viewport } from './lib/browser.mjs';
import { engineName, launch, pause, waitForState } from './lib/engines.mjs';

function withoutFullscreen() {
  delete Element.prototype.requestFullscreen;
}

function refusingFullscreen() {
  Element.prototype.requestFullscreen = function () {
    window.fullscreenRequests = (window.fullscreenRequests || 0) + 1;
    return Promise.reject(new TypeError('Fullscreen request denied'));
  };
}

const cases = [
  ['without requestFullscreen', withoutFullscreen],
  ['with requestFullscreen rejecting', refusingFullscreen],
];

async function runsInThePage(tab, how) {
  await pause(1000);
  const seen = await tab.evaluate(() => ({
    state: document.body.dataset.state,
    fullscreen: !!document.fullscreenElement,
    canvasShown: !document.getElementById('canvas').hidden,
    requests: window.fullscreenRequests || 0,
  }));
  if (seen.state !== 'running' || seen.fullscreen || !seen.canvasShown) fail(`${how}: ${JSON.stringify(seen)}`);
  return seen.requests;
}

async function endWithEscape(tab, how) {
  await tab.press('Escape');
  await waitForState(tab, 'ended', 10000);
  const message = await tab.evaluate(() => document.getElementById('message').textContent);
  if (message !== 'The show has ended.') fail(`${how}: after Escape the page says ${JSON.stringify(message)}`);
}

run(async () => {
  const browser = await launch();
  for (const [how, script] of cases) {
    const tab = await browser.open({ ...viewport, before: [script] });
    await tab.goto(pageUrl('invitation.html'));
    await waitForState(tab, 'ready');
    await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, 30000);
    if (!(await tab.evaluate(() => document.getElementById('fullscreen').checked))) fail(`${how}: the box is not checked`);
    await tab.click('#run');
    await waitForState(tab, 'running');
    const requests = await runsInThePage(tab, `${how}, Run`);
    await endWithEscape(tab, how);
    await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, 30000);
    await tab.click('#again');
    await waitForState(tab, 'running');
    const again = await runsInThePage(tab, `${how}, Run again`);
    await endWithEscape(tab, `${how}, after Run again`);
    await tab.close();
    const logged = [...tab.record.errors, ...tab.record.warnings, ...tab.record.logged];
    if (logged.length) fail(`${how}: the console holds ${JSON.stringify(logged)}`);
    console.log(`${engineName}, ${how}: the show ran in the page twice (full screen asked ${requests}, then ${again - requests} times), ` +
      'Escape ended it, nothing logged');
  }
});
