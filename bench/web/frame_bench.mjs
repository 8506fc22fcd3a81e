// Runs the browser's frame benchmark (build-web/frame_bench.html) in headless
// Chromium with software WebGL at 1024 x 768, and the desktop's (build/bench/
// frame_bench, whole_frame) on the same machine, and prints both medians.
//   INVITATION_WEB_DIR=build-web INVITATION_WEB_NODE_MODULES=build-web/test-node/node_modules \
//     node bench/web/frame_bench.mjs [build/bench/frame_bench]
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { fail, launchChromium, openPage, pageUrl, run, waitForState } from '../../tests/web/lib/browser.mjs';

const frames = 600;

function desktopMedian(program) {
  if (!existsSync(program)) return null;
  const output = execFileSync(program, ['--benchmark_filter=^whole_frame/iterations', '--benchmark_format=json'], {
    env: { ...process.env, SDL_VIDEODRIVER: 'offscreen' },
    stdio: ['ignore', 'pipe', 'ignore'],
  }).toString();
  const result = JSON.parse(output).benchmarks.find((b) => b.name.startsWith('whole_frame'));
  return result ? result.median_ms : null;
}

run(async () => {
  const browser = await launchChromium();
  const { page } = await openPage(browser);
  await page.goto(pageUrl('frame_bench.html'));
  await waitForState(page, 'ready');
  const web = await page.evaluate((n) => Module.ccall('run_frame_bench', 'number', ['number'], [n]), frames);
  if (!(web > 0)) fail(`the browser's benchmark gave ${web}`);
  console.log(`browser (headless Chromium, SwiftShader WebGL, 1024x768): median ${web.toFixed(2)} ms per frame ` +
    `over ${frames} frames`);
  const desktop = desktopMedian(process.argv[2] || 'build/bench/frame_bench');
  console.log(desktop === null ? 'desktop: build/bench/frame_bench not found'
    : `desktop (offscreen SDL, Mesa llvmpipe, 1024x768): median ${desktop.toFixed(2)} ms per frame`);
});
