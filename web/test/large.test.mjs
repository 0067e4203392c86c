// Large inputs: a worksheet beyond 1024 x 50, a paste of 50 MB, a WK1 file
// beyond the page's limit; and a full worksheet: no long task, long tables
// drawn in windows, and the benchmark figures.
import assert from "node:assert/strict";
import { writeFileSync } from "node:fs";
import path from "node:path";
import { describe, it } from "node:test";
import {
  ANALYSES,
  OUTPUT,
  calculate,
  chooseFile,
  cli,
  messages,
  openPage,
  paste,
  scratchFolder,
  sharedBrowser,
} from "./support.mjs";

// A worksheet as text: a title row, then rows of numbers with now and then a
// "<" cell, a ">" cell or an empty one; `grouped`: the first column holds
// the group codes 1 and 2. The same function runs in the page.
function worksheetText(rows, columns, grouped = false) {
  const lines = [Array.from({ length: columns }, (_, c) => `Column ${c + 1}`).join("\t")];
  for (let r = 0; r < rows; r++) {
    const cells = [];
    for (let c = 0; c < columns; c++) {
      const k = (r * 37 + c * 11) % 1013;
      if (grouped && c === 0) cells.push(`${(r % 2) + 1}`);
      else cells.push(k === 5 ? "<1" : k === 1000 ? ">900" : k === 77 ? "" : `${((k * 7919) % 997) / 10 + c}`);
    }
    lines.push(cells.join("\t"));
  }
  return lines.join("\n") + "\n";
}

const browser = sharedBrowser();

const write = scratchFolder("morvenda-web-");

describe("large inputs", () => {
  it("a worksheet beyond 1024 x 50 says what was left out and gives the command line's result", async () => {
    const page = await openPage(browser());
    const text = worksheetText(1100, 55);
    await paste(page, text);
    assert.deepEqual(await messages(page), [
      "The worksheet has 1101 rows and 55 columns; Morvenda reads at most 1024 x 50, so 77 rows and 5 columns beyond them were left out.",
    ]);
    assert.match(await page.$eval("#read-summary", (p) => p.textContent), /^1024 rows and 50 columns/);
    const file = write("wide.tsv", text);
    assert.equal((await calculate(page, "analysis-descriptive")).text, cli([file]).text);
    await page.close();
  });

  it("comma-separated text beyond 1024 x 50 gives the command line's result", async () => {
    // Blank rows and columns before the block; the first column used only
    // far down, beyond the rows the table holds; quoted cells with commas,
    // quotes and line breaks inside. Then a quote left open at the very end
    // of a text whose last column lies beyond the 50th.
    const lines = ["", ",,,"];
    for (let r = 0; r < 1100; r++) {
      const cells = ["", ""];
      for (let c = 0; c < 55; c++) {
        const k = (r * 31 + c * 7) % 101;
        cells.push(k === 3 ? '"4,5"' : k === 4 ? ' "12.5" ' : k === 5 ? '"a ""b""\nc"' : k === 6 ? "" : `${k + c / 10}`);
      }
      if (r === 1090) cells[0] = "7";
      lines.push(cells.join(","));
    }
    const page = await openPage(browser());
    await page.$eval("#decimal-comma", (box) => (box.checked = false));
    for (const [name, text] of [
      ["wide.csv", lines.join("\r\n")],
      ["open_quote.csv", `1,2${",".repeat(58)},3\n4,5\n"7,8`],
    ]) {
      const file = write(name, text);
      await chooseFile(page, file);
      for (const [radio, analysis] of [
        ["analysis-descriptive", "descriptive"],
        ["analysis-pearson", "pearson"],
      ]) {
        const got = await calculate(page, radio, { extra: true });
        assert.equal(got.text, cli(["-a", analysis, "-x", "--input-format", "csv", file]).text, `${name} ${analysis}`);
      }
    }
    await page.close();
  });

  it("a paste of 50 MB is cut at 8 MB with a message, without freezing the page", async () => {
    const page = await openPage(browser());
    const started = Date.now();
    // 50 MB of rows of 60 cells, built in the page: too much to send over.
    await page.evaluate(`(() => {
      let text = (${worksheetText})(8000, 60);
      while (text.length < 50 * 1024 * 1024) text += text.slice(text.indexOf("\\n") + 1);
      const data = new DataTransfer();
      data.setData("text/plain", text);
      document.getElementById("paste").dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true }));
    })()`);
    await page.waitForFunction(() => /^\d+ rows/.test(document.getElementById("read-summary").textContent));
    const seconds = (Date.now() - started) / 1000;
    const said = (await messages(page)).join("\n");
    assert.match(said, /The pasted text holds [0-9.]+ MB; only its first 8\.0 MB were read/);
    assert.match(said, /at least \d+ rows and 60 columns; .* so at least \d+ rows and 10 columns beyond them were left out/);
    assert.ok(seconds < 30, `read in ${seconds} s`);
    // The first 1024 rows were all read: the command line on the whole text agrees.
    const got = await calculate(page, "analysis-descriptive");
    assert.equal(got.text, cli([write("big.tsv", worksheetText(8000, 60))]).text);
    await page.close();
  });

  it("a WK1 file beyond 8 MB is read up to its last whole record", async () => {
    // BOF, RANGE of 1000 rows x 600 columns, a NUMBER record per cell, EOF.
    const rows = 1000;
    const columns = 600;
    const record = (type, body) => Buffer.concat([Buffer.from([type, 0, body.length & 255, body.length >> 8]), body]);
    const u16 = (...values) => Buffer.from(values.flatMap((v) => [v & 255, v >> 8]));
    const parts = [record(0, u16(0x0406)), record(6, u16(0, 0, columns - 1, rows - 1))];
    for (let r = 0; r < rows; r++) {
      for (let c = 0; c < columns; c++) {
        const value = Buffer.alloc(8);
        value.writeDoubleLE(r + c / 1000);
        parts.push(record(14, Buffer.concat([Buffer.from([0xff]), u16(c, r), value])));
      }
    }
    parts.push(Buffer.from([1, 0, 0, 0]));
    const file = write("big.wk1", Buffer.concat(parts));
    const page = await openPage(browser());
    await chooseFile(page, file);
    const said = (await messages(page)).join("\n");
    assert.match(said, /"big.wk1" holds [0-9.]+ MB; only its first 8\.0 MB were read/);
    assert.match(said, /has 1000 rows and 600 columns; .* so 550 columns beyond them were left out/);
    // The records after BOF and RANGE (18 bytes) that fit 8 MB whole: 822
    // rows of 600 cells and 246 more, of which the first 50 columns count.
    assert.equal(Math.floor((8 * 1024 * 1024 - 18) / 17), 822 * 600 + 246);
    assert.match(await page.$eval("#read-summary", (p) => p.textContent), /^1000 rows and 50 columns .*: 41150 numbers/);
    assert.match((await calculate(page, "analysis-descriptive")).text, /\tMean\n/);
    await page.close();
  });
});

// Main-thread tasks longer than 50 ms, as the browser reports them, while
// `step` runs; a step is tried up to three times, so that a task held up
// by another program on the machine does not count, but one that blocks
// every time does.
async function longTasks(page, step) {
  let found = [];
  for (let attempt = 0; attempt < 3; attempt++) {
    await page.evaluate(() => {
      window.longTasks = [];
      window.longTaskObserver?.disconnect();
      window.longTaskObserver = new PerformanceObserver((list) => window.longTasks.push(...list.getEntries().map((e) => Math.round(e.duration))));
      window.longTaskObserver.observe({ type: "longtask" });
    });
    await step();
    // Entries are delivered after the task: one more frame.
    found = await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(() => resolve(window.longTasks), 50))));
    if (found.length === 0) break;
  }
  return found;
}

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];

describe("a full worksheet", () => {
  it("never blocks the page for more than 50 ms, and its timings beside the command line's (a benchmark)", async (t) => {
    const text = worksheetText(1023, 50, true);
    const file = write("full.tsv", text);
    const page = await openPage(browser());
    const pasteMs = [];
    const blocked = await longTasks(page, async () => {
      await page.evaluate(() => delete document.body.dataset.readMs);
      await paste(page, text);
      pasteMs.push(await page.evaluate(() => Number(document.body.dataset.readMs)));
    });
    assert.deepEqual(blocked, [], "long tasks while reading a paste");
    // Each Calculate below also shows More statistics, its 50-column table.
    await page.click("#more-details summary");
    for (let i = 0; i < 2; i++) {
      await page.evaluate(() => delete document.body.dataset.readMs);
      await paste(page, text);
      pasteMs.push(await page.evaluate(() => Number(document.body.dataset.readMs)));
    }
    const lines = [
      "1024 x 50 worksheet (pasted as text), Extra output; median of 3 runs, ms.",
      "page: paste to what was read shown, Calculate to result shown; command line: the whole process on the same text",
      `  ${"paste".padEnd(12)} ${median(pasteMs).toFixed(0).padStart(6)}`,
    ];
    for (const [radio, name] of ANALYSES) {
      const runs = [];
      const blockedHere = await longTasks(page, async () => runs.push(await calculate(page, radio, { extra: true })));
      assert.deepEqual(blockedHere, [], `long tasks while calculating ${name}`);
      while (runs.length < 3) runs.push(await calculate(page, radio, { extra: true }));
      const want = cli(["-a", name, "-x", file]).text;
      assert.equal(runs.at(-1).text, want, name);
      const cliMs = [0, 1, 2].map(() => {
        const started = process.hrtime.bigint();
        cli(["-a", name, "-x", file]);
        return Number(process.hrtime.bigint() - started) / 1e6;
      });
      lines.push(`  ${name.padEnd(12)} ${median(runs.slice(-3).map((run) => run.ms)).toFixed(0).padStart(6)}   command line ${median(cliMs).toFixed(0).padStart(4)}`);
    }
    writeFileSync(path.join(OUTPUT, "benchmark.txt"), lines.join("\n") + "\n");
    for (const line of lines) t.diagnostic(line);
    await page.close();
  });

  it("draws only the rows in view of its long tables, also at 360 px, the row labels staying in sight", async () => {
    const text = worksheetText(1023, 50, true);
    const page = await openPage(browser(), { width: 360, height: 740 });
    await paste(page, text);
    const listing = (await calculate(page, "analysis-ranks", { extra: true })).text.split("\n").length - 2;
    // Drawn: a window of rows; the table says how many it has.
    const view = (id) =>
      page.$eval(`#${id}`, (table) => {
        const rows = [...table.tBodies[0].rows].filter((tr) => !tr.classList.contains("spacer"));
        const box = table.closest(".scroll").getBoundingClientRect();
        const label = rows.map((tr) => tr.cells[0]).find((th) => th.getBoundingClientRect().bottom > box.top + 60);
        return {
          count: Number(table.getAttribute("aria-rowcount")),
          drawn: rows.length,
          labels: rows.map((tr) => tr.cells[0].textContent),
          labelShown: label ? label.getBoundingClientRect().left >= box.left - 1 : false,
        };
      });
    for (const [id, heads, rows] of [
      ["preview", 1, 1024],
      ["result-table", 2, listing],
    ]) {
      const count = heads + rows;
      assert.equal((await view(id)).count, count, id);
      assert.ok((await view(id)).drawn < 60, `${id}: ${(await view(id)).drawn} rows drawn`);
      // Scrolled to the end and to the right: the last rows are drawn, and
      // the row labels stay at the left edge.
      await page.$eval(`#${id}`, (table) => {
        const box = table.closest(".scroll");
        box.scrollTop = box.scrollHeight;
        box.scrollLeft = box.scrollWidth;
      });
      await page.waitForFunction((i, last) => [...document.querySelectorAll(`#${i} tbody th`)].some((th) => th.textContent === last), {}, id, String(rows));
      assert.ok((await view(id)).labelShown, `${id}: the row labels stay in sight`);
    }
    await page.close();
  });
});
