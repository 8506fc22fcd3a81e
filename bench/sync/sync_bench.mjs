// The live sync bench: how late the show's sound is against its picture, on the
// desktop (its sound to a PulseAudio null sink, its window in Xvfb) and in the
// page in Chromium and Firefox ESR (headed, in Xvfb, the same kind of sink).
//   bench/sync/run.sh [--targets desktop,chromium,firefox] [--runs 5] [--taps 24]
// (run.sh builds the tools and sets where things are; see lib/live_runs.mjs.)
//
// offset = (when the module's frame for a beat was heard) - (when the frame that
// shows that beat time was on screen), in ms, positive when the sound is late.
//  - Heard: the null sink's monitor is recorded with CLOCK_MONOTONIC times
//    (tools/pulse_recorder.cpp); where the module lies in the recording comes
//    from matching it against the capture program's rendering of the module
//    (lib/offsets.mjs); beat B is sound frame B x 22050 (lib/reference.mjs).
//    "Heard" is the null sink's own clock: a real device adds its output latency.
//  - On screen: T is tapped; each press and release prints the show's clock
//    (timing_beats) of one turn. Desktop: the frame went on screen when that
//    turn's swap returned, 10 ms (the loop's pause) before the line arrived;
//    swap_log checks it on every run (lib/desktop_run.mjs). Xvfb has no scan-out.
//    Page: the frame drawn by the callback that logged the line is taken to be
//    on screen when the next callback begins (lib/page_run.mjs).
//  - Each run: the median over its frames, their spread (max - min), the offset
//    of the start (where the clock put beat 0 on screen against when the module's
//    first frame was heard), any gaps in the sound, and per target the median and
//    spread of the runs' offsets.
import { mkdirSync } from 'node:fs';
import { startPulse } from './lib/pulse_server.mjs';
import { startXvfb } from './lib/x_display.mjs';
import { referenceSound } from './lib/reference.mjs';
import { loadAverage, measureRun, missingFor, settings } from './lib/live_runs.mjs';
import { printRun, printSummary } from './lib/report.mjs';
import { stopAll } from './lib/processes.mjs';

function options(argv) {
  const o = { targets: ['desktop', 'chromium', 'firefox'], runs: 5, taps: 24 };
  for (let i = 0; i < argv.length; i += 2) {
    const [name, value] = [argv[i], argv[i + 1]];
    if (name === '--targets') o.targets = value.split(',');
    else if (name === '--runs') o.runs = Number(value);
    else if (name === '--taps') o.taps = Number(value);
    else throw new Error(`unknown option ${name} (--targets LIST, --runs N, --taps N)`);
  }
  for (const t of o.targets) if (!['desktop', 'chromium', 'firefox'].includes(t)) throw new Error(`unknown target ${t}`);
  if (!(o.runs > 0 && o.taps > 0)) throw new Error('--runs and --taps take a positive number');
  return o;
}

async function main() {
  const o = options(process.argv.slice(2));
  const s = settings();
  for (const t of o.targets) {
    const why = missingFor(t, s);
    if (why) throw new Error(`cannot run ${t}: ${why}`);
  }
  mkdirSync(s.work, { recursive: true });
  const reference = referenceSound(s.capture, s.work);
  const pulse = await startPulse(s.work);
  const desktopX = await startXvfb('1024x768x24');
  const browserX = await startXvfb('1280x1024x24');
  console.log(`load average before: ${loadAverage()} (${s.show}, ${s.page})`);
  try {
    for (const target of o.targets) {
      const runs = [];
      for (let k = 1; k <= o.runs; ++k) {
        const run = await measureRun(target, k, s, { pulse, desktopX, browserX, reference, taps: o.taps });
        printRun(target, k, run, run.extra);
        runs.push(run);
      }
      printSummary(target, runs[runs.length - 1].device, runs);
      console.log(`load average: ${loadAverage()}`);
    }
  } finally {
    await stopAll();
  }
}

main().catch(async (error) => {
  console.error(`sync bench: ${error.message}`);
  await stopAll();
  process.exit(1);
});
