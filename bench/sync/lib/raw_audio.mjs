// 16-bit stereo samples from raw files and WAV files.
import { readFileSync } from 'node:fs';

export function readRaw(path) {
  const bytes = readFileSync(path);
  return new Int16Array(bytes.buffer, bytes.byteOffset, bytes.length >> 1);
}

export function readWav(path) {
  const wav = readFileSync(path);
  for (let at = 12; at + 8 <= wav.length; ) {
    const id = wav.toString('ascii', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') return new Int16Array(wav.buffer.slice(wav.byteOffset + at + 8, wav.byteOffset + at + 8 + (size & ~1)));
    at += 8 + size + (size & 1);
  }
  throw new Error(`${path} has no data chunk`);
}
