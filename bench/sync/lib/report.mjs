// How the bench prints a run and a set of runs.
import { median, spread } from './stats.mjs';

const ms = (x) => (Number.isFinite(x) ? `${x.toFixed(1)} ms` : '-');

export function printRun(target, k, run, extra = '') {
  console.log(`${target} run ${k}: offset ${ms(run.median)} (median of ${run.count} frames, spread ${ms(run.spread)}),` +
    ` at the start ${ms(run.startOffsetMs)}, ${Number.isFinite(run.msPerBeat) ? run.msPerBeat.toFixed(2) : '-'} ms a beat` +
    `${run.unmatched ? `, ${run.unmatched} unmatched` : ''}${run.slips.length ? `, sound gaps ${run.slips.map((g) => `${g.ms.toFixed(0)} ms near beat ${g.atBeat.toFixed(0)}`).join(', ')}` : ', no gap in the sound'}${extra}`);
}

export function printSummary(target, device, runs) {
  const offsets = runs.map((r) => r.median);
  const starts = runs.map((r) => r.startOffsetMs);
  console.log(`${target}: ${runs.length} runs, offsets ${offsets.map((x) => x.toFixed(1)).join(', ')} ms; ` +
    `median ${ms(median(offsets))}, spread ${ms(spread(offsets))}; at the start: median ${ms(median(starts))}, ` +
    `spread ${ms(spread(starts))}`);
  console.log(`${target} device: ${device}`);
}
