// Turns one live run into offsets. Given the recording of the sink's monitor
// with its timing, the reference rendering, and the frames the run saw on screen
// ({ beat, screenMs }: the frame that showed beat time `beat` was on screen at
// `screenMs`, CLOCK_MONOTONIC), it finds the module in the recording and gives,
// for each frame, offset = (when the module's frame for that beat was heard) -
// screenMs: positive when the sound is late.
//  - The start: the first frame that is not digital silence, refined by matching
//    the module's first 2 s around it.
//  - Each beat: its module frame located again by matching the half second
//    around it, within 50 ms of where the start puts it; a lost or repeated
//    stretch of sound (an underrun) shows as a `slip` of the local match
//    against the start's.
//  - Heard: heard_time.mjs, from the recorder's timing lines near that frame.
import { firstSound, locate } from './signal_match.mjs';
import { audioRate, heardAt } from './heard_time.mjs';
import { moduleFrame } from './reference.mjs';
import { fitLine, median, spread } from './stats.mjs';

const startMatchFrames = 2 * audioRate;
const beatMatchFrames = audioRate / 2;
const searchFrames = Math.round(0.05 * audioRate);
const minScore = 0.9;

export function findModuleStart(recording, reference) {
  const onset = firstSound(recording);
  if (onset < 0) throw new Error('the recording holds no sound');
  const refOnset = firstSound(reference);
  const near = onset - refOnset;
  const match = locate(reference, 0, startMatchFrames, recording, near - searchFrames, near + searchFrames);
  if (match.score < minScore) {
    throw new Error(`the sound in the recording is not the module's start (match ${match.score.toFixed(3)})`);
  }
  return match;
}

export function measureOffsets({ recording, rows, reference, frames }) {
  const start = findModuleStart(recording, reference);
  const startHeard = heardAt(rows, start.frame);
  const results = [];
  for (const { beat, screenMs, ...rest } of frames) {
    const m = moduleFrame(beat);
    const from = m - beatMatchFrames / 2;
    const expected = Math.round(start.frame) + from;
    if (from < 0 || expected + beatMatchFrames + searchFrames > recording.length / 2) continue;
    const match = locate(reference, from, beatMatchFrames, recording, expected - searchFrames, expected + searchFrames);
    if (match.score < minScore) {
      results.push({ beat, screenMs, matched: false, score: match.score, ...rest });
      continue;
    }
    const frame = match.frame + beatMatchFrames / 2;
    const heard = heardAt(rows, frame);
    results.push({
      beat, screenMs, matched: true, score: match.score, ...rest,
      heardMs: heard.ms, timingJitterMs: heard.jitter, offsetMs: heard.ms - screenMs,
      slipFrames: match.frame - (start.frame + from),
    });
  }
  const matched = results.filter((r) => r.matched);
  const offsets = matched.map((r) => r.offsetMs);
  // Where the clock put beat 0 on screen, from every frame seen: the start's own offset.
  const clockZero = median(matched.map((r) => r.screenMs - r.beat * 500));
  const trend = matched.length > 2 ? fitLine(matched.map((r) => r.beat), offsets) : { slope: NaN };
  return {
    results,
    median: median(offsets),
    spread: spread(offsets),
    count: matched.length,
    unmatched: results.length - matched.length,
    largestSlip: matched.length ? Math.max(...matched.map((r) => Math.abs(r.slipFrames))) : NaN,
    startOffsetMs: startHeard.ms - clockZero,
    msPerBeat: trend.slope,
    startScore: start.score,
  };
}
