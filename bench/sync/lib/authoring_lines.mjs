// The show's authoring lines as they arrive: pressing T prints
// "|| timing_beats > A && timing_beats <= " and any key release "B\n". Each
// value is returned with the time its text arrived (CLOCK_MONOTONIC ms).
const press = /^\|\| timing_beats > (-?\d+\.\d+) && timing_beats <= /;
const release = /^(-?\d+\.\d+)\n/;

export function lineReader() {
  let text = '';
  const values = [];
  return {
    values,
    add(chunk, atMs) {
      text += chunk;
      for (;;) {
        const p = text.match(press);
        if (p) {
          values.push({ kind: 'press', beat: Number(p[1]), printMs: atMs });
          text = text.slice(p[0].length);
          continue;
        }
        const r = text.match(release);
        if (r) {
          values.push({ kind: 'release', beat: Number(r[1]), printMs: atMs });
          text = text.slice(r[0].length);
          continue;
        }
        const newline = text.indexOf('\n');
        if (newline >= 0 && !text.startsWith('||')) {
          text = text.slice(newline + 1);
          continue;
        }
        return;
      }
    },
  };
}

// The same lines as the page logs them, one console line per authoring line.
export function parseConsoleLine(text) {
  const full = text.match(/^\|\| timing_beats > (-?\d+\.\d+) && timing_beats <= (-?\d+\.\d+)$/);
  if (full) return { press: Number(full[1]), release: Number(full[2]) };
  const bare = text.match(/^(-?\d+\.\d+)$/);
  return bare ? { press: null, release: Number(bare[1]) } : null;
}
