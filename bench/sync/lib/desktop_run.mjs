// One live run of the desktop show: its sound to the null sink, its window in an
// Xvfb, T tapped through XTest, the authoring lines read from its standard output
// as they arrive.
//
// Which frame a line's beat time is on screen: a turn of the show's loop reads
// the clock, draws, swaps the buffers, pauses 10 ms (SDL_Delay) and only then
// handles the keys, printing the clock it read at the turn's start. So the frame
// that shows the printed beat went on screen as that turn's swap returned, 10 ms
// (plus the pause's overshoot, and the pipe's delay) before the line arrives:
// screenMs = arrival - 10 ms. Xvfb shows a swapped frame at once; a real display
// adds its own scan-out. The key's own time only bounds this (it comes before the
// line, by at most one turn), and swap_log, preloaded, records every swap's true
// time, so each run also checks the estimate (`swapMs`).
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { lineReader } from './authoring_lines.mjs';
import { findWindow, xdotool } from './x_display.mjs';
import { exited, monotonicMs, sleep, start, stop } from './processes.mjs';
import { startRecorder } from './recorder.mjs';
import { sinkState } from './pulse_server.mjs';

export const loopPauseMs = 10;
const title = '^Tavrin Demo Engine$';

async function waitForWindow(display, type, child) {
  for (let i = 0; i < 150; ++i) {
    if (child.exitCode !== null) throw new Error(`the show ended (status ${child.exitCode}): ${child.stderrText.trim()}`);
    const id = findWindow(display, title, type);
    if (id) return id;
    await sleep(100);
  }
  throw new Error(`no ${type === 'DIALOG' ? 'launch dialog' : 'show window'} within 15 s`);
}

function readNumbers(path) {
  try {
    return readFileSync(path, 'utf8').split('\n').filter(Boolean).map((l) => Number(l) / 1e6);
  } catch {
    return [];
  }
}

function lastBefore(sorted, t) {
  let best = NaN;
  for (const x of sorted) {
    if (x > t) break;
    best = x;
  }
  return best;
}

export async function runDesktop({ show, tools, pulse, display, dir, taps, warmupMs }) {
  const swapLog = join(dir, 'swaps.txt');
  const recorder = await startRecorder(tools, pulse, dir);
  const reader = lineReader();
  const child = start(show, [], {
    env: {
      ...process.env, ...pulse.env, DISPLAY: display, SDL_AUDIODRIVER: 'pulseaudio',
      LD_PRELOAD: join(tools, 'libswap_log.so'), INVITATION_SWAP_LOG: swapLog,
    },
  });
  child.stdout.setEncoding('utf8');
  child.stdout.on('data', (chunk) => reader.add(chunk, monotonicMs()));
  let keys = [];
  let sink = null;
  try {
    const dialog = await waitForWindow(display, 'DIALOG', child);
    xdotool(display, 'windowfocus', '--sync', dialog);
    await sleep(300);
    xdotool(display, 'key', 'Return');
    const window = await waitForWindow(display, 'NORMAL', child);
    xdotool(display, 'windowfocus', '--sync', window);
    await sleep(warmupMs);
    sink = sinkState(pulse);
    const tapper = start(join(tools, 'key_tapper'), ['t', String(taps), '120', '200'], {
      env: { ...process.env, DISPLAY: display },
    });
    let tapperOut = '';
    tapper.stdout.on('data', (chunk) => {
      tapperOut += chunk;
    });
    if (!(await exited(tapper, 60000))) throw new Error('key_tapper did not finish');
    if (tapper.exitCode !== 0) throw new Error(`key_tapper failed: ${tapper.stderrText.trim()}`);
    keys = tapperOut.split('\n').filter(Boolean).map((line) => {
      const [kind, before, after] = line.split(' ');
      return { kind, beforeMs: Number(before) / 1e6, afterMs: Number(after) / 1e6 };
    });
    // The sound of the last taps comes later still.
    await sleep(2000);
    xdotool(display, 'key', 'Escape');
    if (!(await exited(child, 5000))) throw new Error('the show did not end on Escape');
  } finally {
    await stop(child);
  }
  const { samples, rows } = await recorder.finish();
  const swaps = readNumbers(swapLog);
  // Each printed value with the key that caused it: the last of its kind sent before it.
  const lastKeyMs = keys.length ? keys[keys.length - 1].afterMs : Infinity;
  const frames = reader.values.filter((v) => v.printMs <= lastKeyMs + 500).map((v) => {
    const key = [...keys].reverse().find((k) => k.kind === (v.kind === 'press' ? 'down' : 'up') && k.afterMs <= v.printMs);
    const swapMs = lastBefore(swaps, v.printMs);
    return {
      beat: v.beat, kind: v.kind, printMs: v.printMs, screenMs: v.printMs - loopPauseMs, swapMs,
      keyToPrintMs: key ? v.printMs - key.beforeMs : NaN, keySendMs: key ? key.afterMs - key.beforeMs : NaN,
    };
  });
  return { recording: samples, rows, frames, sink, swapCount: swaps.length };
}
