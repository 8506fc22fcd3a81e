// When each frame of a recorded or played stream was heard, on CLOCK_MONOTONIC in
// ms, from the timing lines pulse_recorder and pulse_player write after each read
// or write: "FRAMES NOW_NS LATENCY_US". For the recording of a monitor, frame
// FRAMES is heard at now - latency; for the player's stream, at now + latency.
// PulseAudio's account jumps while a sink changes its latency (a stream joining
// or leaving), so a frame's time comes from the lines near it alone: the median,
// over the lines within half a second, of (heard - frames / rate).
import { readFileSync } from 'node:fs';
import { median, spread } from './stats.mjs';

export const audioRate = 44100;
const neighbourhood = audioRate / 2;

export function readTiming(path, direction) {
  const sign = direction === 'record' ? -1 : 1;
  const rows = [];
  for (const line of readFileSync(path, 'utf8').split('\n')) {
    const [frames, nowNs, latencyUs] = line.trim().split(/\s+/).map(Number);
    if (!Number.isFinite(latencyUs)) continue;
    const heardMs = nowNs / 1e6 + (sign * latencyUs) / 1e3;
    rows.push({ frames, base: heardMs - (frames * 1000) / audioRate, latencyMs: latencyUs / 1e3 });
  }
  if (rows.length === 0) throw new Error(`${path} holds no timing lines`);
  return rows;
}

// { ms, jitter, latency }: when `frame` was heard, how far the lines near it
// disagree (max - min of their bases, ms), and the median latency there.
export function heardAt(rows, frame) {
  let near = rows.filter((r) => Math.abs(r.frames - frame) <= neighbourhood);
  if (near.length < 3) {
    near = [...rows].sort((a, b) => Math.abs(a.frames - frame) - Math.abs(b.frames - frame)).slice(0, 5);
  }
  const bases = near.map((r) => r.base);
  return {
    ms: median(bases) + (frame * 1000) / audioRate,
    jitter: spread(bases),
    latency: median(near.map((r) => r.latencyMs)),
  };
}
