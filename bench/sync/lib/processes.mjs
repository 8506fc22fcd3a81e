// Child processes the bench starts, and ends by their own id when it is done.
import { execFileSync, spawn } from 'node:child_process';

const started = new Set();

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// CLOCK_MONOTONIC in ms (libuv's clock), the one clock every part of the bench uses.
export const monotonicMs = () => Number(process.hrtime.bigint()) / 1e6;

export function start(program, args, options = {}) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'], ...options });
  started.add(child);
  child.on('exit', () => started.delete(child));
  child.stderrText = '';
  child.stderr?.on('data', (chunk) => {
    child.stderrText += chunk;
  });
  return child;
}

export function exited(child, ms) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve(true);
  return new Promise((resolve) => {
    const timer = setTimeout(() => resolve(false), ms);
    child.once('exit', () => {
      clearTimeout(timer);
      resolve(true);
    });
  });
}

// SIGTERM, then SIGKILL if it has not ended within `ms`.
export async function stop(child, ms = 3000) {
  if (child.exitCode !== null || child.signalCode !== null) return;
  child.kill('SIGTERM');
  if (!(await exited(child, ms))) {
    child.kill('SIGKILL');
    await exited(child, ms);
  }
}

export async function stopAll() {
  await Promise.all([...started].map((child) => stop(child)));
}

export function commandExists(name) {
  try {
    execFileSync('sh', ['-c', `command -v ${name}`], { stdio: 'ignore' });
    return true;
  } catch {
    return false;
  }
}
