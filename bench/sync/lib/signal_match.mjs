// Finds where a stretch of the reference rendering lies in a recording: the
// normalised cross-correlation of their mono sums, by FFT, with the peak refined
// to a fraction of a frame by a parabola through its neighbours.

function fft(re, im, inverse) {
  const n = re.length;
  for (let i = 1, j = 0; i < n; ++i) {
    let bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      [re[i], re[j]] = [re[j], re[i]];
      [im[i], im[j]] = [im[j], im[i]];
    }
  }
  for (let len = 2; len <= n; len <<= 1) {
    const angle = ((inverse ? 2 : -2) * Math.PI) / len;
    const wr = Math.cos(angle);
    const wi = Math.sin(angle);
    for (let start = 0; start < n; start += len) {
      let cr = 1;
      let ci = 0;
      for (let k = 0; k < len / 2; ++k) {
        const a = start + k;
        const b = a + len / 2;
        const tr = re[b] * cr - im[b] * ci;
        const ti = re[b] * ci + im[b] * cr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
        [cr, ci] = [cr * wr - ci * wi, cr * wi + ci * wr];
      }
    }
  }
}

// Mono sum of interleaved stereo frames [from, from + count), zero outside.
export function monoFrames(stereo, from, count) {
  const out = new Float64Array(count);
  const frames = stereo.length / 2;
  for (let i = 0; i < count; ++i) {
    const f = from + i;
    if (f >= 0 && f < frames) out[i] = stereo[2 * f] + stereo[2 * f + 1];
  }
  return out;
}

// Where reference frames [refFrom, refFrom + length) best match the recording,
// searched with their first frame anywhere in [recFrom, recTo]. Returns
// { frame, score }: the recording's frame (fractional) that matches refFrom,
// and the normalised correlation there (1 for a perfect copy).
export function locate(reference, refFrom, length, recording, recFrom, recTo) {
  [refFrom, recFrom, recTo] = [refFrom, recFrom, recTo].map(Math.round);
  const span = recTo - recFrom + length;
  let n = 1;
  while (n < span + length) n <<= 1;
  const a = monoFrames(recording, recFrom, span);
  const b = monoFrames(reference, refFrom, length);
  const are = new Float64Array(n);
  const aim = new Float64Array(n);
  const bre = new Float64Array(n);
  const bim = new Float64Array(n);
  are.set(a);
  bre.set(b);
  fft(are, aim, false);
  fft(bre, bim, false);
  for (let i = 0; i < n; ++i) {
    const r = are[i] * bre[i] + aim[i] * bim[i];
    const m = aim[i] * bre[i] - are[i] * bim[i];
    are[i] = r;
    aim[i] = m;
  }
  fft(are, aim, true);
  // Running energy of the recording under the reference's window.
  const prefix = new Float64Array(span + 1);
  for (let i = 0; i < span; ++i) prefix[i + 1] = prefix[i] + a[i] * a[i];
  let bb = 0;
  for (const x of b) bb += x * x;
  const lags = recTo - recFrom + 1;
  const score = new Float64Array(lags);
  let best = 0;
  for (let lag = 0; lag < lags; ++lag) {
    const aa = prefix[lag + length] - prefix[lag];
    score[lag] = aa > 0 && bb > 0 ? are[lag] / n / Math.sqrt(aa * bb) : 0;
    if (score[lag] > score[best]) best = lag;
  }
  let fraction = 0;
  if (best > 0 && best + 1 < lags) {
    const [l, c, r] = [score[best - 1], score[best], score[best + 1]];
    const curve = l - 2 * c + r;
    if (curve < 0) fraction = (0.5 * (l - r)) / curve;
  }
  return { frame: recFrom + best + fraction, score: score[best] };
}

// The first frame of the recording from `from` on whose samples are not both zero
// (a null sink's monitor is digital silence until something plays), or -1.
export function firstSound(recording, from = 0, level = 0) {
  for (let f = Math.max(0, from); 2 * f + 1 < recording.length; ++f) {
    if (Math.abs(recording[2 * f]) > level || Math.abs(recording[2 * f + 1]) > level) return f;
  }
  return -1;
}
