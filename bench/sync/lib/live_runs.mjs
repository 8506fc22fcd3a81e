// What the bench and the check share: where the show, the page and the bench's
// tools are (from the environment run.sh sets), what is missing to run live,
// and one measured run of a target.
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { commandExists } from './processes.mjs';
import { runDesktop } from './desktop_run.mjs';
import { browsers, runPage } from './page_run.mjs';
import { measureOffsets } from './offsets.mjs';
import { median } from './stats.mjs';

export function settings() {
  const env = process.env;
  const build = env.SYNC_BENCH_BUILD || 'build';
  const s = {
    show: join(build, 'invitation'),
    capture: join(build, 'invitation-capture'),
    page: join(env.SYNC_BENCH_WEB || 'build-web', 'invitation.html'),
    // The bench's own folder, never inside a build it measures.
    tools: env.SYNC_BENCH_TOOLS || join('build', 'sync-bench', 'tools'),
    nodeModules: env.SYNC_BENCH_NODE_MODULES || join('build', 'sync-bench', 'node', 'node_modules'),
    work: env.SYNC_BENCH_WORK || join('build', 'sync-bench', 'work'),
  };
  for (const key of Object.keys(s)) s[key] = resolve(s[key]);
  return s;
}

// Why `target` cannot run here, or null.
export function missingFor(target, s) {
  for (const program of ['pulseaudio', 'pactl', 'Xvfb', 'xdotool', 'xprop']) {
    if (!commandExists(program)) return `${program} is not installed`;
  }
  if (!existsSync(join(s.tools, 'pulse_recorder'))) return `the bench's tools are not built in ${s.tools}`;
  if (!existsSync(s.capture)) return `no capture program ${s.capture}`;
  if (target === 'desktop') return existsSync(s.show) ? null : `no show ${s.show}`;
  if (!existsSync(s.page)) return `no page ${s.page}`;
  if (!existsSync(browsers[target].executable)) return `${browsers[target].executable} is not installed`;
  if (!existsSync(join(s.nodeModules, 'puppeteer-core'))) return `puppeteer-core is not installed in ${s.nodeModules}`;
  return null;
}

export async function measureRun(target, k, s, { pulse, desktopX, browserX, reference, taps }) {
  const dir = join(s.work, `${target}-${k}`);
  mkdirSync(dir, { recursive: true });
  if (target === 'desktop') {
    const run = await runDesktop({ show: s.show, tools: s.tools, pulse, display: desktopX.display, dir, taps, warmupMs: 2000 });
    const measured = measureOffsets({ recording: run.recording, rows: run.rows, reference, frames: run.frames });
    writeFileSync(join(dir, 'frames.json'), JSON.stringify({ frames: run.frames, results: measured.results }, null, 1));
    // The same run with the frames' true swap times in place of the estimate.
    const bySwaps = measureOffsets({
      recording: run.recording, rows: run.rows, reference, frames: run.frames.map((f) => ({ ...f, screenMs: f.swapMs })),
    });
    const estimateMinusSwap = median(run.frames.map((f) => f.screenMs - f.swapMs));
    return {
      ...measured, sink: run.sink, bySwaps, estimateMinusSwap,
      extra: `; from the swaps ${bySwaps.median.toFixed(1)} ms (line - 10 ms - swap: median ${estimateMinusSwap.toFixed(2)} ms,` +
        ` largest ${Math.max(...run.frames.map((f) => f.screenMs - f.swapMs)).toFixed(1)} ms)`,
      device: `null sink ${pulse.sink} (${run.sink.format}), sink latency ${run.sink.latencyMs.toFixed(1)} ms` +
        ` of ${run.sink.configuredMs.toFixed(1)} configured; the show's device 8192-frame buffers (SDL 1.2 layer over SDL2, PulseAudio)`,
    };
  }
  const run = await runPage({
    kind: target, nodeModules: s.nodeModules, pagePath: s.page, tools: s.tools, pulse, display: browserX.display, dir,
    taps, warmupMs: 2500,
  });
  const measured = measureOffsets({ recording: run.recording, rows: run.rows, reference, frames: run.frames });
  writeFileSync(join(dir, 'frames.json'), JSON.stringify({ lines: run.lines, frames: run.frames, results: measured.results }, null, 1));
  const frameMs = median(run.frameIntervals);
  return {
    ...measured, sink: run.sink, frameMs,
    extra: `; frames ${frameMs.toFixed(1)} ms apart (median), clock round trip ${run.clock.roundTripMs.toFixed(2)} ms` +
      `${run.errors.length ? `; page errors: ${run.errors.join(' | ')}` : ''}`,
    device: `${run.version} headed in Xvfb, null sink ${pulse.sink} (${run.sink.format}), sink latency ` +
      `${run.sink.latencyMs.toFixed(1)} ms of ${run.sink.configuredMs.toFixed(1)} configured`,
  };
}

export function loadAverage() {
  return readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
}
