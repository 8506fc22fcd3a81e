// A private X server for the browsers that need a window to offer WebGL
// (Firefox and WebKitGTK draw none headless): Xvfb on a display it picks
// itself, stopped on exit. Its screen is what full screen fills: a little more
// than the usual window by default, as software rendering slows with every
// pixel; a test of wider windows asks for a larger one.
import { spawn } from 'node:child_process';
import { existsSync } from 'node:fs';

const xvfbPath = '/usr/bin/Xvfb';
export const defaultScreen = { width: 1280, height: 1024 };
let started = null;

export function startDisplay(missing, screen = defaultScreen, groups = ['web']) {
  if (started) return started;
  if (!existsSync(xvfbPath)) missing(`${xvfbPath} is not installed (Debian package xvfb)`, groups);
  started = new Promise((resolve, reject) => {
    // -displayfd: the server writes the display it took, so parallel runs never collide.
    const server = spawn(xvfbPath, ['-displayfd', '3', '-screen', '0', `${screen.width}x${screen.height}x24`, '-nolisten', 'tcp', '-noreset'],
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let said = '';
    server.stderr.on('data', (d) => { said += d; });
    server.stdio[3].on('data', (d) => resolve(`:${String(d).trim()}`));
    server.on('exit', (code) => reject(new Error(`Xvfb exited (${code}): ${said.trim().split('\n').pop()}`)));
    process.on('exit', () => server.kill());
  });
  return started;
}
