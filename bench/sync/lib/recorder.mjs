// The null sink's monitor recorded by pulse_recorder while a run goes on.
import { join } from 'node:path';
import { readRaw } from './raw_audio.mjs';
import { readTiming } from './heard_time.mjs';
import { exited, sleep, start, stop } from './processes.mjs';

export async function startRecorder(tools, pulse, dir) {
  const raw = join(dir, 'monitor.raw');
  const timing = join(dir, 'monitor.timing');
  const child = start(join(tools, 'pulse_recorder'), [pulse.monitor, raw, timing, '600'], {
    env: { ...process.env, ...pulse.env },
  });
  // Ready once the stream is connected and has said so.
  for (let i = 0; i < 100 && !child.stderrText.includes('recording'); ++i) {
    if (await exited(child, 0)) throw new Error(`pulse_recorder ended: ${child.stderrText.trim()}`);
    await sleep(50);
  }
  return {
    async finish() {
      await stop(child);
      return { samples: readRaw(raw), rows: readTiming(timing, 'record') };
    },
  };
}
