// The step that writes a page (cmake/make_page.cmake) on small made-up inputs:
// the script goes where the template's marker is, its WebAssembly (a data URI)
// moved into an element of its own beside it; the icon the template names
// becomes base64 that decodes to the file's bytes, whatever the file's length
// over three; the product's name stands wherever the template names it; the GL
// emulation's start-up notices are left out and nothing else is; and it refuses,
// leaving no page behind, a script an inline script cannot hold, one without its
// WebAssembly, an icon that is not there, a product's name missing or not plain
// text, a marker it does not fill, and a page over its budget.
//   make_page_test.mjs CMAKE
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const cmake = process.argv[2] || 'cmake';
const script = fileURLToPath(new URL('../../cmake/make_page.cmake', import.meta.url));
const dir = mkdtempSync(join(tmpdir(), 'make-page-'));
const template = '<head><title>@PRODUCT_NAME@</title><meta property="og:title" content="@PRODUCT_NAME@">' +
  '<link rel="icon" href="data:image/png;base64,@ICON_PNG_BASE64@"></head>\n' +
  '<body><!-- the show --></body>\n';
const productName = 'Made-up Party 1999 Intro';
const notices = [
  'err("WARNING: using emscripten GL emulation. This is a collection of limited workarounds, do not expect it to work.");',
  'err("WARNING: using emscripten GL emulation unsafe opts. If weirdness happens, try -s GL_UNSAFE_OPTS=0");',
  'err("WARNING: using emscripten GL immediate mode emulation. This is very limited in what it supports");',
].join('');
const wasm = 'data:application/octet-stream;base64,AGFzbQEAAAA=';
const code = 'function f(){err("a notice of the show\'s own")}var dataURIPrefix="data:application/octet-stream;base64,";';
const kept = `${code}var wasmBinaryFile;wasmBinaryFile="${wasm}";`;
let failures = 0;

function check(condition, what) {
  if (!condition) {
    failures += 1;
    console.log(`FAILED: ${what}`);
  }
}

// Runs the step; the page written, or null with its message when it refused.
// A product's name of null is not given at all.
function makePage(name, { templateText = template, scriptText = kept + notices, icon, maxBytes = 100000,
  name: shown = productName }) {
  const paths = { template: join(dir, `${name}.html.in`), script: join(dir, `${name}.js`), output: join(dir, `${name}.html`) };
  writeFileSync(paths.template, templateText);
  writeFileSync(paths.script, scriptText);
  const args = [`-DTEMPLATE=${paths.template}`, `-DSCRIPT=${paths.script}`, `-DOUTPUT=${paths.output}`,
    `-DMAX_BYTES=${maxBytes}`];
  if (icon !== undefined) args.push(`-DICON=${icon}`);
  if (shown !== null) args.push(`-DPRODUCT_NAME=${shown}`);
  try {
    execFileSync(cmake, [...args, '-P', script], { stdio: 'pipe' });
  } catch (error) {
    check(!existsSync(paths.output) && !existsSync(`${paths.output}.tmp`), `${name}: a refused page was left behind`);
    // CMake wraps its messages: one line, single spaces.
    return { page: null, message: String(error.stderr).replace(/\s+/g, ' ') };
  }
  return { page: readFileSync(paths.output, 'utf8'), message: '' };
}

try {
  // Icons of every length over three, with bytes a text step could mangle.
  for (let length = 0; length <= 7; ++length) {
    const bytes = Buffer.from(Array.from({ length }, (_, i) => [0xff, 0x00, 0x3e, 0x3f, 0x0a, 0x80, 0x01][i % 7]));
    const icon = join(dir, `icon_${length}.png`);
    writeFileSync(icon, bytes);
    const { page, message } = makePage(`icon_${length}`, { icon });
    check(page !== null, `an icon of ${length} bytes was refused: ${message}`);
    if (!page) continue;
    const found = /base64,([^"]*)"/.exec(page);
    check(found && found[1] === bytes.toString('base64'), `an icon of ${length} bytes became ${found && found[1]}`);
    check(found && Buffer.from(found[1], 'base64').equals(bytes), `an icon of ${length} bytes does not decode to itself`);
  }

  const { page } = makePage('page', { icon: join(dir, 'icon_5.png') });
  // Each notice's call becomes an expression that does nothing; the WebAssembly
  // is read from its element when the runtime instantiates it.
  check(page && page.includes(`<script>\n${code}var wasmBinaryFile;wasmBinaryFile="";void 0;void 0;void 0;\n</script></body>`),
    `the script is not where the marker was, or not all of it: ${page}`);
  check(page && page.includes(`<body><script type="application/octet-stream" id="show-wasm">${wasm}</script>`) &&
    page.includes('Module.instantiateWasm'), `the WebAssembly is not in its element: ${page}`);
  check(page && !page.includes('WARNING: using emscripten GL'), 'a GL emulation notice is still in the page');
  check(page && page.includes(`<head><title>${productName}</title>`) &&
    page.includes(`<meta property="og:title" content="${productName}">`) && !page.includes('@PRODUCT_NAME@'),
    `the product's name is not in each place the template names it: ${page}`);

  const refusals = [
    ['a script with an end tag', { scriptText: kept + 'var s="</SCRIPT>";', icon: join(dir, 'icon_1.png') }, '</script'],
    ['a script with a comment opener', { scriptText: kept + 'var s="<!--";', icon: join(dir, 'icon_1.png') }, '<!--'],
    ['a script without its WebAssembly', { scriptText: code, icon: join(dir, 'icon_1.png') }, 'wasmBinaryFile'],
    ['a named icon that is not there', { icon: join(dir, 'missing.png') }, 'names an icon'],
    ['a notice in a form the step does not know', { scriptText: kept + "err('WARNING: using emscripten GL x')",
      icon: join(dir, 'icon_1.png') }, 'in a form'],
    ['a page over its budget', { icon: join(dir, 'icon_1.png'), maxBytes: 100 }, 'over its budget'],
    ['a named product without its name', { icon: join(dir, 'icon_1.png'), name: null }, 'names the product'],
    ['a product\'s name with markup', { icon: join(dir, 'icon_1.png'), name: 'A <b>bold</b> show' }, 'not plain text'],
    ['a marker the step does not fill', { templateText: template.replace('</head>', '@PARTY_DATE@</head>'),
      icon: join(dir, 'icon_1.png') }, '@PARTY_DATE@, which this step does not fill'],
  ];
  for (const [what, inputs, expected] of refusals) {
    const { page: refused, message } = makePage(what.replace(/ /g, '_'), inputs);
    check(refused === null && message.includes(expected), `${what}: ${refused === null ? message : 'a page was written'}`);
  }
} finally {
  rmSync(dir, { recursive: true, force: true });
}
console.log(failures ? `${failures} failures` : 'make_page: pages, icons and refusals as expected');
process.exit(failures ? 1 : 0);
