// The module as the show's own mixer renders it, one pass from its first sample:
// invitation-capture --audio-out, kept in the work folder for the capture program
// it came from. The capture puts sound frame t x 44.1 beside the frame it draws
// at t ms, so that is the sound of the frame that shows beat B: frame B x 22050.
// (The module's own rows run a little faster, 918 whole frames a tick, 499.59 ms
// a beat; the capture, and so the bench, keep the show's clock.)
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { readWav } from './raw_audio.mjs';

export const framesPerBeat = 44100 / 2;

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
