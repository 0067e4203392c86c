// What the browser tests share: Debian's Chromium, headless, driven by
// puppeteer-core; the built page opened from disk; the command-line program
// whose bytes the page must give; and the steps a user takes in the page.
import { spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { after, before } from "node:test";
import puppeteer from "puppeteer-core";

export const TOP = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..", "..");
export const PAGE = path.resolve(process.env.MORVENDA_PAGE || path.join(TOP, "build-web", "morvenda.html"));
export const PAGE_URL = pathToFileURL(PAGE).href;
export const CLI = path.resolve(process.env.MORVENDA_CLI || path.join(TOP, "build", "morvenda"));
export const OUTPUT = path.dirname(PAGE);
const CHROMIUM = process.env.MORVENDA_CHROMIUM || "/usr/bin/chromium";

// The six analyses: the page's radio button id and the command line's name.
export const ANALYSES = [
  ["analysis-descriptive", "descriptive"],
  ["analysis-paired", "paired"],
  ["analysis-nonpaired", "nonpaired"],
  ["analysis-pearson", "pearson"],
  ["analysis-spearman", "spearman"],
  ["analysis-ranks", "ranks"],
];

// A browser of its own with a fresh profile; the network is closed here, so
// nothing in the background may try to reach it.
export async function launch() {
  const profile = mkdtempSync(path.join(tmpdir(), "morvenda-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      // The decimal comma box starts as the browser's language says.
      "--lang=en-US",
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// A new tab with the page loaded and its program started. Errors thrown in
// the page are collected in `page.errors`.
export async function openPage(browser, viewport = { width: 1280, height: 800 }) {
  const page = await browser.newPage();
  page.errors = [];
  page.on("pageerror", (error) => page.errors.push(error.message));
  await page.setViewport(viewport);
  await page.goto(PAGE_URL);
  await page.waitForSelector('body[data-ready="true"]');
  return page;
}

// Until the page has no call out to its worker, and what came back is shown.
export const idle = (page) => page.waitForFunction(() => document.body.dataset.busy === undefined);

// A paste into the paste area: a real ClipboardEvent carrying text/plain;
// done once what was read is shown.
export async function paste(page, text) {
  await page.$eval(
    "#paste",
    (area, content) => {
      const data = new DataTransfer();
      data.setData("text/plain", content);
      area.dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true, cancelable: true }));
    },
    text,
  );
  await idle(page);
}

// A file chosen with the file button.
export async function chooseFile(page, file) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#file")]);
  await chooser.accept([file]);
  await page.waitForFunction(() => document.getElementById("file").value === "");
}

// Sets the dialog's choices and presses Calculate; the result text, the
// messages (one line each) and the number of points in the plot.
export async function calculate(page, radioId, options = {}) {
  await page.evaluate(
    (radio, { log = false, logY = false, extra = false }) => {
      document.getElementById(radio).checked = true;
      document.getElementById("log").checked = log;
      document.getElementById("log-y").checked = logY;
      document.getElementById("extra").checked = extra;
      delete document.body.dataset.calculateMs;
    },
    radioId,
    options,
  );
  await page.click("#calculate");
  await page.waitForFunction(() => document.body.dataset.calculateMs !== undefined);
  await idle(page);
  return page.evaluate(() => ({
    text: document.getElementById("result-text").textContent,
    messages: [...document.querySelectorAll("#messages p")].map((p) => p.textContent),
    points: document.querySelectorAll('#plot g[aria-label="dot"] :is(circle, path)').length,
    ms: Number(document.body.dataset.calculateMs),
  }));
}

export const messages = (page) =>
  page.$$eval("#messages p", (lines) => lines.map((line) => line.textContent));

// The command line on the same input: its standard output as a string of
// bytes (one character per byte) and its standard error's lines.
export function cli(args) {
  const run = spawnSync(CLI, args, { cwd: TOP, encoding: "latin1" });
  if (run.error) throw run.error;
  return { text: run.stdout, messages: run.stderr.split("\n").filter((line) => line !== "") };
}

export const source = (relative) => path.join(TOP, relative);
export const readText = (relative) => readFileSync(source(relative), "utf8");

// Lets the browser's pages read and write the clipboard without asking.
export async function grantClipboard(browser) {
  const session = await browser.target().createCDPSession();
  await session.send("Browser.grantPermissions", { permissions: ["clipboardReadWrite", "clipboardSanitizedWrite"] });
}

// The analyses with a "More statistics" report: every one but Show Ranks.
export const WITH_ROWS = ANALYSES.filter(([, name]) => name !== "ranks");

// A folder of files a test file writes, made before its tests and removed
// after them: `write(name, content)` returns the file's path.
export function scratchFolder(prefix) {
  let folder;
  before(() => {
    folder = mkdtempSync(path.join(tmpdir(), prefix));
  });
  after(() => rmSync(folder, { recursive: true, force: true }));
  return (name, content) => {
    const file = path.join(folder, name);
    writeFileSync(file, content);
    return file;
  };
}

// The worksheets under examples/ that the page and the command line are
// compared on.
export const EXAMPLES = ["lab_values", "correlation", "groups", "paired"];

// One browser for a test file: launched before its tests (with the page's
// clipboard granted when `clipboard`), closed after them. Called at the top
// of the file; what it returns gives the browser.
export function sharedBrowser({ clipboard = false } = {}) {
  let browser;
  before(async () => {
    browser = await launch();
    if (clipboard) await grantClipboard(browser);
  });
  after(async () => {
    await browser?.close();
  });
  return () => browser;
}
