// The module as the show's own mixer renders it, one pass from its first sample:
// invitation-capture --audio-out, kept in the work folder for the capture program
// it came from. Beat B of the module starts at frame B x 24 ticks x 918 frames
// (tempo 120, speed 6, four rows a beat: libmikmod mixes a tick as 918 whole
// frames at 44100 Hz), so the module's beat is 499.59 ms, not the clock's 500.
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { readWav } from './raw_audio.mjs';

export const framesPerBeat = 24 * 918;

export function moduleFrame(beat) {
  return Math.round(beat * framesPerBeat);
}

export function referenceSound(capture, workDir) {
  const wav = join(workDir, 'reference.wav');
  const stamp = join(workDir, 'reference.stamp');
  const { size, mtimeMs } = statSync(capture);
  const key = `${capture} ${size} ${mtimeMs}`;
  if (!existsSync(wav) || !existsSync(stamp) || readFileSync(stamp, 'utf8') !== key) {
    execFileSync(capture, ['--at-ms', '0', '--out', join(workDir, 'reference.png'), '--audio-out', wav], {
      stdio: ['ignore', 'ignore', 'pipe'],
    });
    writeFileSync(stamp, key);
  }
  return readWav(wav);
}
