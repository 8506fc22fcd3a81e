// An Xvfb of the bench's own; its display number comes back through -displayfd.
import { execFileSync } from 'node:child_process';
import { start, stop } from './processes.mjs';

export async function startXvfb(screen) {
  const child = start('Xvfb', ['-displayfd', '3', '-screen', '0', screen, '-nolisten', 'tcp', '-noreset'], {
    stdio: ['ignore', 'ignore', 'pipe', 'pipe'],
  });
  const number = await new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error('Xvfb gave no display within 10 s')), 10000);
    child.stdio[3].on('data', (chunk) => {
      text += chunk;
      if (text.includes('\n')) {
        clearTimeout(timer);
        resolve(text.trim());
      }
    });
    child.once('exit', () => reject(new Error(`Xvfb ended: ${child.stderrText.trim().split('\n').pop()}`)));
  });
  return { child, display: `:${number}`, stop: () => stop(child) };
}

// Visible windows titled `title` whose window type contains `type` (DIALOG, NORMAL).
export function findWindow(display, title, type) {
  const env = { ...process.env, DISPLAY: display };
  let ids = [];
  try {
    ids = execFileSync('xdotool', ['search', '--onlyvisible', '--name', title], { env, encoding: 'utf8' })
      .split('\n').filter(Boolean);
  } catch {
    return null;
  }
  for (const id of ids) {
    try {
      const prop = execFileSync('xprop', ['-id', id, '_NET_WM_WINDOW_TYPE'], { env, encoding: 'utf8' });
      if (prop.includes(`_NET_WM_WINDOW_TYPE_${type}`)) return id;
    } catch {
      // gone meanwhile
    }
  }
  return null;
}

export function xdotool(display, ...args) {
  execFileSync('xdotool', args, { env: { ...process.env, DISPLAY: display }, stdio: 'ignore' });
}
