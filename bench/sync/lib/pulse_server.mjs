// A private PulseAudio server with one null sink at the show's format (44100 Hz,
// 16-bit stereo, so nothing is resampled), its socket under the bench's work
// folder; clients reach it through PULSE_SERVER. Runs as root too (-n skips the
// system's configuration; --system=no keeps it a per-user server).
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync } from 'node:fs';
import { join } from 'node:path';
import { tmpdir } from 'node:os';
import { sleep, start, stop } from './processes.mjs';

export const sinkName = 'sync_bench';

export async function startPulse(workDir) {
  // A unix socket's path has at most 107 bytes.
  let dir = join(workDir, 'pulse');
  if (Buffer.byteLength(join(dir, 'native')) > 100) dir = mkdtempSync(join(tmpdir(), 'sync-pulse-'));
  mkdirSync(dir, { recursive: true });
  const socket = join(dir, 'native');
  const env = { ...process.env, PULSE_RUNTIME_PATH: dir, XDG_RUNTIME_DIR: dir, HOME: dir };
  const child = start('pulseaudio', [
    '-n', '--daemonize=no', '--system=no', '--exit-idle-time=-1', '--disallow-exit', '--use-pid-file=no',
    '--enable-memfd=no', '--log-target=stderr',
    `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`,
    `--load=module-null-sink sink_name=${sinkName} rate=44100 format=s16le channels=2`,
  ], { env });
  const server = `unix:${socket}`;
  const clientEnv = { PULSE_SERVER: server, PULSE_SINK: sinkName };
  for (let i = 0; i < 100; ++i) {
    if (child.exitCode !== null) break;
    try {
      execFileSync('pactl', ['info'], { env: { ...process.env, ...clientEnv }, stdio: 'ignore' });
      return { child, server, sink: sinkName, monitor: `${sinkName}.monitor`, env: clientEnv, stop: () => stop(child) };
    } catch {
      await sleep(100);
    }
  }
  await stop(child);
  throw new Error(`pulseaudio did not start: ${child.stderrText.trim().split('\n').pop()}`);
}

// The null sink as it is now: "Latency: X usec, configured Y usec" and its format.
export function sinkState(pulse) {
  const text = execFileSync('pactl', ['list', 'sinks'], { env: { ...process.env, ...pulse.env }, encoding: 'utf8' });
  const latency = text.match(/Latency: (\d+) usec, configured (\d+) usec/);
  // pactl's line for the sink's sample format: "Sample S...: s16le 2ch 44100Hz".
  const format = text.match(/Sample S\w+: (.*)/);
  return {
    latencyMs: latency ? Number(latency[1]) / 1000 : NaN,
    configuredMs: latency ? Number(latency[2]) / 1000 : NaN,
    format: format ? format[1].trim() : '?',
  };
}
