// A private X server for the browsers that need a window to offer WebGL
// (Firefox and WebKitGTK draw none headless): Xvfb on a display it picks
// itself, large enough for the widest window the tests open, stopped on exit.
import { spawn } from 'node:child_process';
import { existsSync } from 'node:fs';

const xvfbPath = '/usr/bin/Xvfb';
const screen = '2800x1800x24';
let started = null;

export function startDisplay(missing) {
  if (started) return started;
  if (!existsSync(xvfbPath)) missing(`${xvfbPath} is not installed (Debian package xvfb)`);
  started = new Promise((resolve, reject) => {
    // -displayfd: the server writes the display it took, so parallel runs never collide.
    const server = spawn(xvfbPath, ['-displayfd', '3', '-screen', '0', screen, '-nolisten', 'tcp'],
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let said = '';
    server.stderr.on('data', (d) => { said += d; });
    server.stdio[3].on('data', (d) => resolve(`:${String(d).trim()}`));
    server.on('exit', (code) => reject(new Error(`Xvfb exited (${code}): ${said.trim().split('\n').pop()}`)));
    process.on('exit', () => server.kill());
  });
  return started;
}
