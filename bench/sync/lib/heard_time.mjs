// When each frame of a recorded or played stream was heard, on CLOCK_MONOTONIC in
// ms, from the timing lines pulse_recorder and pulse_player write after each read
// or write: "FRAMES NOW_NS LATENCY_US". For the recording of a monitor, frame
// FRAMES is heard at now - latency; for the player's stream, at now + latency.
// A steady stream has one base, heard - frames / rate, on every line. PulseAudio's
// account jumps while a sink changes its latency (a stream joining it, the sink
// settling), so the base is taken over a stretch where the stream is known to be
// steady: the median over the lines between two frames, with its spread.
//
// A second account of a monitor's recording rests on how a null sink plays: it
// renders the next block only once the last has played out, so a block's first
// frame falls due the moment the block reaches the monitor. The recorder reads a
// block as a burst of reads after a pause; the frames read before the burst's
// first read are the block's first frame, heard at that read's time (less the
// recorder's wake-up, some tens of microseconds). `arrivalBase` gives that base;
// the bench uses it and reports how far PulseAudio's own account differs.
import { readFileSync } from 'node:fs';
import { median, spread } from './stats.mjs';

export const audioRate = 44100;

export function readTiming(path, direction) {
  const sign = direction === 'record' ? -1 : 1;
  const rows = [];
  for (const line of readFileSync(path, 'utf8').split('\n')) {
    const [frames, nowNs, latencyUs] = line.trim().split(/\s+/).map(Number);
    if (!Number.isFinite(latencyUs)) continue;
    const heardMs = nowNs / 1e6 + (sign * latencyUs) / 1e3;
    rows.push({ frames, nowMs: nowNs / 1e6, base: heardMs - (frames * 1000) / audioRate, latencyMs: latencyUs / 1e3 });
  }
  if (rows.length === 0) throw new Error(`${path} holds no timing lines`);
  return rows;
}

// { baseMs, jitterMs, lines }: frame n was heard at baseMs + n / rate, for the
// frames from `first` to `last`; jitterMs is how far the lines there disagree.
export function steadyBase(rows, first, last) {
  let near = rows.filter((r) => r.frames >= first && r.frames <= last);
  if (near.length < 3) {
    const middle = (first + last) / 2;
    near = [...rows].sort((a, b) => Math.abs(a.frames - middle) - Math.abs(b.frames - middle)).slice(0, 5);
  }
  const bases = near.map((r) => r.base);
  return { baseMs: median(bases), jitterMs: spread(bases), lines: near.length };
}

export function heardMs(base, frame) {
  return base.baseMs + (frame * 1000) / audioRate;
}

const burstPauseMs = 5;

export function arrivalBase(rows, first, last) {
  const bases = [];
  for (let i = 1; i < rows.length; ++i) {
    const [before, row] = [rows[i - 1], rows[i]];
    if (row.nowMs - before.nowMs < burstPauseMs || before.frames < first || before.frames > last) continue;
    bases.push(row.nowMs - (before.frames * 1000) / audioRate);
  }
  if (bases.length < 3) return { baseMs: NaN, jitterMs: NaN, lines: bases.length };
  return { baseMs: median(bases), jitterMs: spread(bases), lines: bases.length };
}
