// One live run each of the desktop show and of the page in Chromium: fails (exit
// 1) when a run's median offset of sound against picture is more than 50 ms
// either way (the clock puts beat 0 where the music's first frame is heard;
// the bench finds them within 20 ms on a quiet machine), skips (exit 77, with
// the reason) where PulseAudio, Xvfb or the show is missing. Without a page or
// Chromium only the desktop runs, and the page's part says why it was left out.
//   bench/sync/run.sh --check
//   node bench/sync/sync_check.mjs     (tests/e2e/live_sync.sh, with run.sh's environment)
import { mkdirSync } from 'node:fs';
import { startPulse } from './lib/pulse_server.mjs';
import { startXvfb } from './lib/x_display.mjs';
import { referenceSound } from './lib/reference.mjs';
import { measureRun, missingFor, settings } from './lib/live_runs.mjs';
import { printRun } from './lib/report.mjs';
import { stopAll } from './lib/processes.mjs';

const limitMs = 50;
const skipStatus = 77;

async function main() {
  const s = settings();
  const why = missingFor('desktop', s);
  if (why) {
    console.log(`SKIPPED: ${why}`);
    return skipStatus;
  }
  const targets = ['desktop'];
  const pageWhy = missingFor('chromium', s);
  if (pageWhy) console.log(`page left out: ${pageWhy}`);
  else targets.push('chromium');
  mkdirSync(s.work, { recursive: true });
  const reference = referenceSound(s.capture, s.work);
  const pulse = await startPulse(s.work);
  const desktopX = await startXvfb('1024x768x24');
  const browserX = await startXvfb('1280x1024x24');
  let failed = 0;
  for (const target of targets) {
    const run = await measureRun(target, 'check', s, { pulse, desktopX, browserX, reference, taps: 12 });
    printRun(target, 1, run, run.extra);
    const ok = Math.abs(run.median) <= limitMs;
    console.log(`${ok ? 'ok' : 'FAIL'}: ${target} sound ${run.median.toFixed(1)} ms against the picture (limit ${limitMs} ms)`);
    if (!ok) failed += 1;
  }
  console.log(`${targets.length - failed} passed, ${failed} failed`);
  return failed ? 1 : 0;
}

main()
  .then(async (status) => {
    await stopAll();
    process.exit(status);
  })
  .catch(async (error) => {
    console.error(`sync check: ${error.message}`);
    await stopAll();
    process.exit(1);
  });
