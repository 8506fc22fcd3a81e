// Turns one live run into offsets. Given the recording of the sink's monitor
// with its timing, the reference rendering, and the frames the run saw on screen
// ({ beat, screenMs }: the frame that showed beat time `beat` was on screen at
// `screenMs`, CLOCK_MONOTONIC), it finds the module in the recording and gives,
// for each frame, offset = (when the module's frame for that beat was heard) -
// screenMs: positive when the sound is late.
//  - The start: the first frame that is not digital silence, refined by matching
//    the module's first 2 s around it.
//  - Then the module is followed through the recording a second at a time,
//    each second searched within 0.9 s of where the one before lay, so a gap
//    in the sound (an underrun) or a repeat shows as a step of the lag: its
//    `slips`.
//  - Each beat: its module frame located again by matching the half second
//    around it, within 50 ms of where the followed lag puts it; its `slip`
//    is how far that lies from where the start alone would put it.
//  - Heard: heard_time.mjs, one base for the stretch from the first to the last
//    frame matched, which the matches show to be one steady stream (no slip):
//    the null sink's block arrivals, PulseAudio's own latency account beside
//    it. The start's time comes from the same base, since that account around
//    a stream's start is not to be trusted while the sink settles.
import { firstSound, locate } from './signal_match.mjs';
import { arrivalBase, audioRate, heardMs, steadyBase } from './heard_time.mjs';
import { framesPerBeat, moduleFrame } from './reference.mjs';
import { fitLine, median, spread } from './stats.mjs';

const startMatchFrames = audioRate / 2;
const beatMatchFrames = audioRate / 2;
const searchFrames = Math.round(0.05 * audioRate);
// The desktop matches at 1.000; a browser that resamples the sound, at about 0.7.
const minScore = 0.5;

export function findModuleStart(recording, reference) {
  const onset = firstSound(recording);
  if (onset < 0) throw new Error('the recording holds no sound');
  const refOnset = firstSound(reference);
  const near = onset - refOnset;
  // A gap soon after the start (a browser's sound starting in fits) spoils the
  // half second; its first 1024 frames still tell where it began.
  let match = locate(reference, 0, startMatchFrames, recording, near - searchFrames, near + searchFrames);
  if (match.score < minScore) match = locate(reference, 0, 1024, recording, near - searchFrames, near + searchFrames);
  if (match.score < minScore) {
    throw new Error(`the sound in the recording is not the module's start (match ${match.score.toFixed(3)})`);
  }
  return match;
}

const followFrames = audioRate;
const followStep = audioRate / 2;
const followSearch = Math.round(0.9 * audioRate);

// [{ from, lag }]: module frames from `from` on lie at recording frame + lag.
export function followModule(recording, reference, start) {
  const steps = [{ from: 0, lag: start.frame, score: start.score }];
  let lag = Math.round(start.frame);
  for (let from = followStep; from + lag + followFrames + followSearch < recording.length / 2; from += followStep) {
    const match = locate(reference, from, followFrames, recording, from + lag - followSearch, from + lag + followSearch);
    if (match.score < minScore) continue;
    steps.push({ from, lag: match.frame - from, score: match.score });
    lag = Math.round(match.frame - from);
  }
  return steps;
}

function lagAt(steps, frame) {
  let lag = steps[0].lag;
  for (const step of steps) if (step.from <= frame) lag = step.lag;
  return lag;
}

// Steps of the followed lag by more than a millisecond: gaps (positive) or repeats.
function slipsOf(steps) {
  const slips = [];
  for (let i = 1; i < steps.length; ++i) {
    const step = steps[i].lag - steps[i - 1].lag;
    if (Math.abs(step) > audioRate / 1000) slips.push({ atBeat: steps[i].from / framesPerBeat, ms: (step * 1000) / audioRate });
  }
  return slips;
}

export function measureOffsets({ recording, rows, reference, frames }) {
  const start = findModuleStart(recording, reference);
  const steps = followModule(recording, reference, start);
  const results = [];
  for (const { beat, screenMs, ...rest } of frames) {
    const m = moduleFrame(beat);
    const from = m - beatMatchFrames / 2;
    const expected = Math.round(lagAt(steps, from)) + from;
    if (from < 0 || expected + beatMatchFrames + searchFrames > recording.length / 2) continue;
    const match = locate(reference, from, beatMatchFrames, recording, expected - searchFrames, expected + searchFrames);
    if (match.score < minScore) {
      results.push({ beat, screenMs, matched: false, score: match.score, ...rest });
      continue;
    }
    results.push({
      beat, screenMs, matched: true, score: match.score, ...rest,
      frame: match.frame + beatMatchFrames / 2, slipFrames: match.frame - (start.frame + from),
    });
  }
  const matched = results.filter((r) => r.matched);
  if (matched.length === 0) throw new Error('no frame seen on screen was matched in the recording');
  const [first, last] = [Math.min(...matched.map((r) => r.frame)), Math.max(...matched.map((r) => r.frame))];
  const account = steadyBase(rows, first, last);
  const arrival = arrivalBase(rows, first, last);
  const base = Number.isFinite(arrival.baseMs) ? arrival : account;
  for (const r of matched) {
    r.heardMs = heardMs(base, r.frame);
    r.offsetMs = r.heardMs - r.screenMs;
  }
  const offsets = matched.map((r) => r.offsetMs);
  // Where the clock put beat 0 on screen, from every frame seen: the start's own offset.
  const clockZero = median(matched.map((r) => r.screenMs - r.beat * 500));
  const slips = slipsOf(steps);
  const trend = matched.length > 2 ? fitLine(matched.map((r) => r.beat), offsets) : { slope: NaN };
  return {
    results,
    median: median(offsets),
    spread: spread(offsets),
    count: matched.length,
    unmatched: results.length - matched.length,
    largestSlip: matched.length ? Math.max(...matched.map((r) => Math.abs(r.slipFrames))) : NaN,
    startOffsetMs: heardMs(base, start.frame) - clockZero,
    timingJitterMs: base.jitterMs,
    accountMinusArrivalMs: account.baseMs - arrival.baseMs,
    startFrame: start.frame,
    msPerBeat: trend.slope,
    startScore: start.score,
    slips,
    lowestScore: Math.min(...matched.map((r) => r.score)),
  };
}
