// The music in the browser against the desktop's. The samples the page's mixer
// (SDL_mixer with libmikmod, compiled to WebAssembly) hands to Web Audio for the
// first seconds must equal, sample for sample, what the capture program renders
// with the desktop's libmikmod and the desktop mixer's settings. The sound must
// reach the browser's audio output: a tap in front of the destination counts the
// non-silent frames that pass. And S must move the music to order 10: from the
// first buffer that leaves the continuous stream on, the music follows order 10's
// start in the desktop's rendering. The jump takes effect at the player's next
// tick, so order 10 starts within one tick of that buffer's start. After Escape,
// Run again plays the music from its start once more, sample for sample. In the
// engine the first argument names (engines.mjs); Firefox and WebKit play to a
// private PulseAudio server's null sink, and there what the sink played is
// recorded too and compared with the desktop's rendering from a second into the
// music on. That is reported, not judged: on a busy machine the browser's
// playback drops out now and then, and the recording with it.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { captureProgram, fail, missing, pageUrl, readWavSamples, run, viewport, workDir } from './lib/browser.mjs';
import { engineName, launch, waitForState } from './lib/engines.mjs';
import { recordSink } from './lib/sound_server.mjs';

const channels = 2;
const bufferFrames = 8192;    // the show's mixing buffer
const comparedBuffers = 22;   // 4.1 s
const audioRate = 44100;
const minNonSilentFrames = 2 * audioRate;
const framesPerOrder = 16 * 24 * 918;  // 16 beats of 24 ticks of 918 frames at tempo 120
const skipOrder = 10;
const followedBuffers = 10;   // 1.9 s after the jump
const againBuffers = 11;      // 2 s after Run again
const framesPerTick = 918;
const minSkipCorrelation = 0.9;
const waitMs = 30000;
const heardFrames = 3 * audioRate;   // of the recording compared, from a second into the music

// Records every buffer the page schedules, in order, as 16-bit samples, and
// counts what reaches the destination through a pass-through tap.
function recordAudio() {
  window.scheduledBuffers = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    const left = this.buffer.getChannelData(0);
    const right = this.buffer.getChannelData(1);
    const samples = new Int16Array(left.length * 2);
    for (let i = 0; i < left.length; ++i) {
      samples[2 * i] = Math.round(left[i] * 32768);
      samples[2 * i + 1] = Math.round(right[i] * 32768);
    }
    window.scheduledBuffers.push(samples);
    return start.apply(this, args);
  };
  window.deliveredFrames = 0;
  window.nonSilentFrames = 0;
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (!(target instanceof AudioDestinationNode) || this instanceof ScriptProcessorNode)
      return connect.call(this, target, ...rest);
    const context = target.context;
    if (!context.outputTap) {
      const tap = context.createScriptProcessor(4096, 2, 2);
      tap.onaudioprocess = (event) => {
        const left = event.inputBuffer.getChannelData(0);
        const right = event.inputBuffer.getChannelData(1);
        event.outputBuffer.getChannelData(0).set(left);
        event.outputBuffer.getChannelData(1).set(right);
        for (let i = 0; i < left.length; ++i) {
          window.deliveredFrames += 1;
          if (left[i] !== 0 || right[i] !== 0) window.nonSilentFrames += 1;
        }
      };
      connect.call(tap, target);
      context.outputTap = tap;
    }
    return connect.call(this, context.outputTap, ...rest);
  };
}

async function buffersFrom(tab, first, count) {
  await tab.waitFor((n) => window.scheduledBuffers.length >= n, first + count, waitMs);
  const lists = await tab.evaluate(([a, n]) => window.scheduledBuffers.slice(a, a + n).map((b) => Array.from(b)),
    [first, count]);
  return lists.map((list) => Int16Array.from(list));
}

function sameAsStream(buffer, stream, frame) {
  for (let i = 0; i < buffer.length; ++i) if (buffer[i] !== stream[frame * channels + i]) return false;
  return true;
}

// Normalised correlation of the mono sums of two stretches of samples, `a` from
// its frame `aFrame` on.
function correlation(a, aFrame, b, bFrame, frames) {
  let dot = 0;
  let aa = 0;
  let bb = 0;
  for (let i = 0; i < frames; ++i) {
    const x = a[2 * (aFrame + i)] + a[2 * (aFrame + i) + 1];
    const y = b[2 * (bFrame + i)] + b[2 * (bFrame + i) + 1];
    dot += x * y;
    aa += x * x;
    bb += y * y;
  }
  return aa > 0 && bb > 0 ? dot / Math.sqrt(aa * bb) : 0;
}

function joined(buffers) {
  const all = new Int16Array(buffers.length * bufferFrames * channels);
  buffers.forEach((b, k) => all.set(b, k * bufferFrames * channels));
  return all;
}

// The recording against the desktop's rendering: where a stretch a second into
// the music lies in it, and over `heardFrames` from that second on the
// correlation and the sample differences; and how the second before it compares.
function compareHeard(heard, desktop) {
  const frames = heard.length / channels;
  const from = audioRate;
  let best = -1;
  let at = 0;
  for (let l = 0; l + from + heardFrames <= frames; ++l) {
    const c = correlation(heard, l + from, desktop, from, 1024);
    if (c > best) [best, at] = [c, l];
  }
  if (best < 0) return null;
  const whole = correlation(heard, at + from, desktop, from, heardFrames);
  const differences = (first, count) => {
    let largest = 0;
    let differing = 0;
    for (let i = first * channels; i < (first + count) * channels; ++i) {
      const d = Math.abs(heard[at * channels + i] - desktop[i]);
      if (d) differing += 1;
      largest = Math.max(largest, d);
    }
    return { largest, differing };
  };
  return { at, whole, ...differences(from, heardFrames), firstSecond: differences(0, from) };
}

run(async () => {
  const dir = workDir(`music-${engineName}`);
  if (!captureProgram) fail('INVITATION_CAPTURE does not name the capture program');
  const wavPath = join(dir, 'desktop.wav');
  execFileSync(captureProgram, ['--at-ms', '0', '--out', join(dir, 'frame.png'), '--audio-out', wavPath]);
  const desktop = readWavSamples(wavPath);

  const browser = await launch();
  const tab = await browser.open({ ...viewport, before: [recordAudio] });
  const { record } = tab;
  await tab.goto(pageUrl('invitation.html'));
  await waitForState(tab, 'ready');
  await tab.uncheck('#fullscreen');
  const heardPath = join(dir, 'heard.raw');
  const recording = engineName === 'chromium' ? null : await recordSink(heardPath, missing, [engineName]);
  await tab.click('#run');
  await waitForState(tab, 'running');

  // The first seconds, sample for sample.
  const first = joined(await buffersFrom(tab, 0, comparedBuffers));
  let differing = 0;
  let largest = 0;
  for (let i = 0; i < first.length; ++i) {
    const d = Math.abs(first[i] - desktop[i]);
    if (d) differing += 1;
    largest = Math.max(largest, d);
  }
  console.log(`first ${(first.length / channels / audioRate).toFixed(2)} s: ${first.length} samples compared, ` +
    `${differing} differ, largest difference ${largest}`);
  if (differing) fail(`the browser's music differs from the desktop's in ${differing} samples`);

  const delivered = await tab.evaluate(() => [window.deliveredFrames, window.nonSilentFrames]);
  console.log(`frames through the audio output: ${delivered[0]}, of which not silent: ${delivered[1]}`);
  if (delivered[1] < minNonSilentFrames) fail(`only ${delivered[1]} non-silent frames reached the audio output`);
  if (recording) {
    const said = await recording.stop();
    const raw = readFileSync(heardPath);
    const heard = new Int16Array(raw.buffer, raw.byteOffset, raw.length >> 1);
    const result = compareHeard(heard, desktop);
    if (!result) {
      console.log(`recorded from the sink: ${(heard.length / channels / audioRate).toFixed(2)} s, too short to compare`);
    } else console.log(`recorded from the sink: ${(heard.length / channels / audioRate).toFixed(2)} s, the music from frame ` +
      `${result.at}; from its second 1 on for ${heardFrames / audioRate} s correlation ${result.whole.toFixed(4)} with ` +
      `the desktop's, ${result.differing} samples differ, largest difference ${result.largest}; in its first second ` +
      `${result.firstSecond.differing} samples differ${said ? ` (parec: ${said})` : ''}`);
  }

  // S: the continuous stream until the jump, then order 10.
  const before = await tab.evaluate(() => window.scheduledBuffers.length);
  await tab.press('s');
  let jump = -1;
  for (let k = before; jump < 0 && k < before + comparedBuffers; ++k) {
    const [buffer] = await buffersFrom(tab, k, 1);
    if (!sameAsStream(buffer, desktop, k * bufferFrames)) jump = k;
  }
  if (jump < 0) fail('the music did not leave its stream after S');
  const followed = joined(await buffersFrom(tab, jump, followedBuffers));
  const frames = (followedBuffers - 1) * bufferFrames;
  let withOrder = -1;
  let lag = 0;
  for (let l = 0; l <= framesPerTick; ++l) {
    const c = correlation(followed, l, desktop, skipOrder * framesPerOrder, frames);
    if (c > withOrder) [withOrder, lag] = [c, l];
  }
  const withStream = correlation(followed, lag, desktop, jump * bufferFrames + lag, frames);
  console.log(`after S (buffer ${jump}): order ${skipOrder} starts ${lag} frames into it; correlation with ` +
    `order ${skipOrder}'s start ${withOrder.toFixed(3)}, with the stream it left ${withStream.toFixed(3)}`);
  if (withOrder < minSkipCorrelation) fail(`after S the music does not follow order ${skipOrder}`);

  // Run again: the module loaded afresh behind the end, played from its start.
  await tab.press('Escape');
  await waitForState(tab, 'ended', waitMs);
  await tab.waitFor(() => document.body.dataset.prepared === 'yes', null, waitMs);
  const ended = await tab.evaluate(() => window.scheduledBuffers.length);
  await tab.click('#again');
  await waitForState(tab, 'running');
  const again = joined(await buffersFrom(tab, ended, againBuffers));
  let differingAgain = 0;
  for (let i = 0; i < again.length; ++i) if (again[i] !== desktop[i]) differingAgain += 1;
  console.log(`after Run again: ${again.length} samples compared with the music's start, ${differingAgain} differ`);
  if (differingAgain) fail(`after Run again the music differs from its start in ${differingAgain} samples`);
  if (record.errors.length) fail(`the page logged errors: ${JSON.stringify(record.errors)}`);
});
