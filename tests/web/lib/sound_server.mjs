// A private PulseAudio server for the browsers that play through one (Firefox,
// WebKitGTK): without a sound server their audio contexts never run. One null
// sink, whose monitor can be recorded; its own runtime folder under the test's
// output, so other users' servers are never touched; stopped on exit.
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, rmSync } from 'node:fs';
import { join } from 'node:path';

const pulseaudioPath = '/usr/bin/pulseaudio';
const parecPath = '/usr/bin/parec';
export const sinkName = 'invitation';
let started = null;

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The environment a browser needs to play to it: { PULSE_SERVER }.
export function startSoundServer(missing, workDir, groups = ['web']) {
  if (started) return started;
  if (!existsSync(pulseaudioPath)) missing(`${pulseaudioPath} is not installed (Debian package pulseaudio)`, groups);
  started = (async () => {
    const dir = workDir(`pulse-${process.pid}`);
    rmSync(dir, { recursive: true, force: true });
    mkdirSync(join(dir, 'run'), { recursive: true });
    const socket = join(dir, 'run', 'native');
    const env = { ...process.env, HOME: dir, XDG_RUNTIME_DIR: join(dir, 'run'), PULSE_RUNTIME_PATH: join(dir, 'run') };
    delete env.DISPLAY;
    const server = spawn(pulseaudioPath, ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no',
      '--disallow-exit', `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`,
      `--load=module-null-sink sink_name=${sinkName} rate=44100`], { env, stdio: ['ignore', 'ignore', 'pipe'] });
    let said = '';
    let exited = null;
    server.stderr.on('data', (d) => { said += d; });
    server.on('exit', (code) => { exited = code; });
    process.on('exit', () => server.kill());
    for (let i = 0; i < 100 && !existsSync(socket); ++i) {
      if (exited !== null) throw new Error(`pulseaudio exited (${exited}): ${said.trim().split('\n').pop()}`);
      await sleep(100);
    }
    if (!existsSync(socket)) throw new Error('pulseaudio made no socket in 10 s');
    return { PULSE_SERVER: `unix:${socket}` };
  })();
  return started;
}

// Records what the null sink plays, as 16-bit stereo at 44100 Hz, into `path`
// until stop() (which resolves once the recorder has written it all).
export async function recordSink(path, missing, groups = ['web']) {
  if (!started) throw new Error('no sound server was started');
  if (!existsSync(parecPath)) missing(`${parecPath} is not installed (Debian package pulseaudio-utils)`, groups);
  const env = { ...process.env, ...(await started) };
  const recorder = spawn(parecPath, [`--device=${sinkName}.monitor`, '--format=s16le', '--rate=44100', '--channels=2',
    '--latency-msec=20', path], { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let said = '';
  recorder.stderr.on('data', (d) => { said += d; });
  const ended = new Promise((done) => recorder.on('exit', () => done(said.trim())));
  process.on('exit', () => recorder.kill());
  return { stop: () => { recorder.kill('SIGINT'); return ended; } };
}
