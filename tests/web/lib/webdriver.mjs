// A small client of classic W3C WebDriver over HTTP, as much of it as the page
// tests use: sessions, navigation, scripts, windows, input actions, screenshots.
const keyCodes = {
  Enter: '\uE007', Escape: '\uE00C', Tab: '\uE004', Space: ' ', Backspace: '\uE003',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015',
};
export const keyValue = (key) => keyCodes[key] || key;

export class WebDriverError extends Error {}

export class WebDriverSession {
  constructor(base, id) {
    this.base = base;
    this.id = id;
    this.queue = Promise.resolve();
  }

  static async create(base, capabilities) {
    const value = await request(base, 'POST', '/session', { capabilities: { alwaysMatch: capabilities } });
    return new WebDriverSession(base, value.sessionId);
  }

  // One command at a time: the driver answers none while a page loads, so a
  // command sent meanwhile would hang.
  call(method, path, body) {
    const answer = this.queue.then(() => request(this.base, method, `/session/${this.id}${path}`, body));
    this.queue = answer.catch(() => {});
    return answer;
  }

  goto(url) { return this.call('POST', '/url', { url }); }
  // The function runs in the page with `arg`; a promise it returns is awaited.
  evaluate(fn, arg) {
    return this.call('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments);`, args: [arg ?? null] });
  }
  setWindowRect(rect) { return this.call('POST', '/window/rect', rect); }
  windowHandle() { return this.call('GET', '/window'); }
  async newWindow() {
    const { handle } = await this.call('POST', '/window/new', { type: 'window' });
    await this.call('POST', '/window', { handle });
    return handle;
  }
  async closeWindow(returnTo) {
    await this.call('DELETE', '/window');
    if (returnTo) await this.call('POST', '/window', { handle: returnTo });
  }
  actions(sources) { return this.call('POST', '/actions', { actions: sources }); }
  releaseActions() { return this.call('DELETE', '/actions'); }
  async screenshot() { return Buffer.from(await this.call('GET', '/screenshot'), 'base64'); }
  end() { return request(this.base, 'DELETE', `/session/${this.id}`); }
}

async function request(base, method, path, body) {
  const response = await fetch(base + path, {
    method,
    headers: { 'content-type': 'application/json; charset=utf-8' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const answer = await response.json().catch(() => ({ value: null }));
  if (!response.ok) {
    const value = answer.value || {};
    throw new WebDriverError(`${method} ${path}: ${value.error || response.status}: ${value.message || ''}`);
  }
  return answer.value;
}
