// Builds the one self-contained page: bundles the worker (the program
// compiled to WebAssembly, carried inside it, and its calls), bundles the
// page's JavaScript with the plotting library and the worker's text, then
// puts the bundle and the styles inline into index.html under a
// Content-Security-Policy that allows exactly that script, and workers made
// from the page's own text (blob: addresses) only.
//
//   node build.mjs WASM_DIR OUT_FILE
//
// WASM_DIR holds morvenda_web.mjs and morvenda_web.wasm (the Emscripten
// build of web/engine); OUT_FILE is the page (build-web/morvenda.html).
import { createHash } from "node:crypto";
import { readFile, writeFile, mkdir } from "node:fs/promises";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { build } from "esbuild";

// The page must stay small enough to mail or put on a stick.
const BUDGET_BYTES = 1.5 * 1024 * 1024;

const here = path.dirname(fileURLToPath(import.meta.url));
const [wasmDir, outFile] = process.argv.slice(2);
if (!wasmDir || !outFile) {
  console.error("usage: node build.mjs WASM_DIR OUT_FILE");
  process.exit(2);
}

const engineFiles = {
  "morvenda:module": path.resolve(wasmDir, "morvenda_web.mjs"),
  "morvenda:wasm": path.resolve(wasmDir, "morvenda_web.wasm"),
};

const common = {
  bundle: true,
  format: "iife",
  minify: true,
  target: ["chrome100", "firefox100", "safari15"],
  write: false,
  logLevel: "warning",
};

// The worker: the program runs there, so that the page never waits for it.
const worker = await build({
  ...common,
  entryPoints: [path.join(here, "src", "worker.js")],
  loader: { ".wasm": "binary" },
  // The Emscripten module asks for its own address only to find its
  // WebAssembly file; the worker hands it the WebAssembly instead.
  define: { "import.meta.url": '""' },
  plugins: [
    {
      name: "morvenda-engine",
      setup(b) {
        b.onResolve({ filter: /^morvenda:/ }, (args) => ({ path: engineFiles[args.path] }));
      },
    },
  ],
});

// The page, with the worker's text inside ("morvenda:worker"): it starts
// the worker from a Blob of that text, nothing is fetched.
const bundled = await build({
  ...common,
  entryPoints: [path.join(here, "src", "main.js")],
  plugins: [
    {
      name: "morvenda-worker",
      setup(b) {
        b.onResolve({ filter: /^morvenda:worker$/ }, () => ({ path: "worker", namespace: "morvenda" }));
        b.onLoad({ filter: /.*/, namespace: "morvenda" }, () => ({
          contents: worker.outputFiles[0].text,
          loader: "text",
        }));
      },
    },
  ],
});

// Inline, the script must not end its own element early.
const script = bundled.outputFiles[0].text.replace(/<\/(script)/gi, "<\\/$1");
const scriptHash = createHash("sha256").update(script, "utf8").digest("base64");

// Nothing leaves the machine: no connection, no remote script, style, font,
// image, frame or form target; the one inline script by its hash, the
// worker made from a Blob of the text that script carries, and WebAssembly
// compiled from the bytes the worker carries.
const csp = [
  "default-src 'none'",
  `script-src 'sha256-${scriptHash}' 'wasm-unsafe-eval'`,
  "style-src 'unsafe-inline'",
  "img-src data:",
  "connect-src 'none'",
  "font-src 'none'",
  "media-src 'none'",
  "object-src 'none'",
  "frame-src 'none'",
  "worker-src blob:",
  "manifest-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join("; ");

const template = await readFile(path.join(here, "index.html"), "utf8");
const css = await readFile(path.join(here, "style.css"), "utf8");
const page = template
  .replace("__CSP__", () => csp)
  .replace("__CSS__", () => css)
  .replace("<!--__SCRIPT__-->", () => `<script>${script}</script>`);

const size = Buffer.byteLength(page, "utf8");
if (size > BUDGET_BYTES) {
  console.error(`${outFile}: ${size} bytes, over the budget of ${BUDGET_BYTES}`);
  process.exit(1);
}
await mkdir(path.dirname(path.resolve(outFile)), { recursive: true });
await writeFile(outFile, page);
console.log(`${outFile}: ${size} bytes (budget ${BUDGET_BYTES})`);
