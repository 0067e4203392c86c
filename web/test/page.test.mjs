// The page in headless Chromium: the same bytes as the command line for every
// example worksheet, analysis and option set, pasted or opened; Copy result;
// messages; no network; plots; the keyboard; screenshots.
import assert from "node:assert/strict";
import { mkdirSync } from "node:fs";
import path from "node:path";
import { describe, it } from "node:test";
import {
  ANALYSES,
  EXAMPLES,
  OUTPUT,
  PAGE_URL,
  calculate,
  chooseFile,
  cli,
  grantClipboard,
  idle,
  messages,
  openPage,
  paste,
  readText,
  sharedBrowser,
  source,
} from "./support.mjs";

const OPTION_SETS = [
  { page: {}, cli: [] },
  { page: { log: true, logY: true, extra: true }, cli: ["-l", "-y", "-x"] },
];

const browser = sharedBrowser();

// Every analysis with both option sets on what the page has read, against
// the command line on the same file.
async function compareAll(page, file) {
  for (const [radio, name] of ANALYSES) {
    for (const options of OPTION_SETS) {
      const got = await calculate(page, radio, options.page);
      const want = cli(["-a", name, ...options.cli, file]);
      const what = `${file} ${name} ${options.cli.join(" ")}`;
      assert.equal(got.text, want.text, `result text of ${what}`);
      // The page's messages in one style, without the clipboard message of
      // a write that never happened, and one line on what to change.
      const said = want.messages
        .filter((m) => !m.endsWith("Error while attempting to write data to clipboard"))
        .map((m) => m.replace(/^[^:]+: /, ""));
      assert.deepEqual(got.messages.slice(0, said.length), said, `messages of ${what}`);
      assert.equal(got.messages.length, said.length + (said.length > 0 ? 1 : 0), `a hint after a refusal: ${what}`);
    }
  }
}

describe("the result text is the command line's", () => {
  for (const example of EXAMPLES) {
    it(`${example}: pasted as text and opened as .wk1`, async () => {
      const page = await openPage(browser());
      await paste(page, readText(`tests/cli/data/${example}.tsv`));
      await compareAll(page, `tests/cli/data/${example}.tsv`);
      await chooseFile(page, source(`examples/${example}.wk1`));
      await compareAll(page, `examples/${example}.wk1`);
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }

  it("a .csv file, and text read again when the decimal comma changes", async () => {
    const page = await openPage(browser());
    await page.$eval("#decimal-comma", (box) => (box.checked = false));
    await chooseFile(page, source("tests/cli/data/groups.csv"));
    let got = await calculate(page, "analysis-nonpaired", { extra: true });
    assert.equal(got.text, cli(["-a", "nonpaired", "-x", "--input-format", "csv", "tests/cli/data/groups.csv"]).text);

    await paste(page, readText("tests/cli/data/lab_values_decimal_comma.tsv"));
    assert.match((await messages(page)).join("\n"), /28 cells such as "3,1" were read as missing/);
    await page.click("#decimal-comma");
    await idle(page);
    assert.deepEqual(await messages(page), []);
    assert.match(await page.$eval("#read-summary", (p) => p.textContent), /: 45 numbers/);
    got = await calculate(page, "analysis-descriptive", { extra: true });
    assert.equal(got.text, cli(["-x", "--decimal-comma", "tests/cli/data/lab_values_decimal_comma.tsv"]).text);
    await page.close();
  });
});

describe("the page", () => {
  it("offers the dialog's controls with the program's ids and labels, and its version", async () => {
    const page = await openPage(browser());
    const { contract, controls, version } = await page.evaluate(() => ({
      contract: window.morvendaContract,
      version: document.querySelector("header .version").textContent,
      controls: [...document.querySelectorAll("input[type=radio], input[type=checkbox]")].map((box) => ({
        kind: box.type,
        value: box.value,
        id: box.id,
        label: document.querySelector(`label[for="${box.id}"]`).textContent,
      })),
    }));
    assert.equal(version, contract.version.replaceAll(".", ""));
    const checkBoxIds = { log: 1000, "log-y": 1001, extra: 1002 };
    for (const control of contract.controls.filter((c) => c.kind === "radio" || c.kind === "checkbox")) {
      const onPage = controls.find((c) =>
        c.kind === "radio" ? Number(c.value) === control.id : checkBoxIds[c.id] === control.id,
      );
      assert.ok(onPage, `control ${control.id} "${control.text}" is on the page`);
      assert.equal(onPage.label, control.text.replace("&", ""), `label of control ${control.id}`);
    }
    await page.close();
  });

  it("Copy result puts the result's bytes on the clipboard", async () => {
    await grantClipboard(browser());
    const page = await openPage(browser());
    await page.bringToFront();
    await chooseFile(page, source("examples/correlation.wk1"));
    const got = await calculate(page, "analysis-pearson", { extra: true });
    await page.click("#copy");
    await page.waitForFunction(() => /^Copied/.test(document.getElementById("copy-status").textContent));
    const copied = await page.evaluate(() => navigator.clipboard.readText());
    assert.equal(copied, cli(["-a", "pearson", "-x", "examples/correlation.wk1"]).text);
    assert.equal(copied, got.text);
    assert.equal(
      await page.$eval("#copy-status", (s) => s.textContent),
      'Copied: Pearson (Extra output) of "correlation.wk1".',
    );
    await page.close();
  });

  it("shows refusals and reading problems as messages, and goes on working", async () => {
    const page = await openPage(browser());
    let got = await calculate(page, "analysis-descriptive");
    assert.deepEqual(got.messages, ["Paste or open a worksheet first"]);

    await chooseFile(page, source("tests/cli/data/one_column.wk1"));
    got = await calculate(page, "analysis-pearson");
    assert.equal(got.text, "");
    assert.deepEqual(got.messages, [
      "At least two data columns are required",
      "Pearson compares every column with column 1 (the reference): paste at least two columns.",
    ]);
    assert.equal(await page.$eval("#copy", (button) => button.disabled), true);

    // A paste without a value is no worksheet, as a clipboard of such text
    // is none on Windows.
    for (const text of ["Weight\tHeight\nn.d.\t-\nmissing\tabsent\n", ""]) {
      await paste(page, text);
      assert.deepEqual(await messages(page), [
        'The pasted text holds no value: no cell is a number, nor "<" or ">".',
        "No data on Clipboard",
        "Copy the cells in the spreadsheet and paste them again, or open a .wk1, .csv or text file.",
      ]);
      assert.equal(await page.$eval("#read-summary", (p) => p.textContent), "No worksheet was read.");
    }

    for (const file of ["tests/cli/data/truncated.wk1", "tests/cli/data/empty.wk1"]) {
      await chooseFile(page, source(file));
      const said = cli([file]).messages.map((m) => m.replace(/^[^:]+: /, ""));
      assert.deepEqual((await messages(page)).slice(0, said.length), said);
    }
    await chooseFile(page, source("tests/cli/data/not_text.bin"));
    assert.match((await messages(page))[0], /"not_text.bin" is neither a WK1 worksheet nor text/);

    await paste(page, readText("tests/cli/data/lab_values.tsv"));
    got = await calculate(page, "analysis-descriptive");
    assert.equal(got.text, cli(["tests/cli/data/lab_values.tsv"]).text);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  it("makes no network request of any kind", async () => {
    const page = await browser().newPage();
    const requests = [];
    await page.setRequestInterception(true);
    page.on("request", (request) => {
      requests.push(request.url());
      request.continue();
    });
    await page.goto(PAGE_URL);
    await page.waitForSelector('body[data-ready="true"]');
    await paste(page, readText("tests/cli/data/groups.tsv"));
    for (const [radio] of ANALYSES) await calculate(page, radio, { extra: true });
    await page.click("#download-svg");
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.deepEqual(requests, [PAGE_URL]);
    await page.close();
  });

  it("plots as many points as each analysis has values", async () => {
    const page = await openPage(browser());
    const table = (name) =>
      readText(`tests/cli/data/${name}.tsv`)
        .split("\n")
        .slice(1)
        .filter((line) => line !== "")
        .map((line) => line.split("\t").map((cell) => /^\s*([<>]|[-+]?[0-9.]+\s*$)/.test(cell)));
    const rows = (name, test) => table(name).filter(test).length;

    // The first column of the laboratory values, the second column against
    // the first in the other examples.
    await paste(page, readText("tests/cli/data/lab_values.tsv"));
    for (const radio of ["analysis-descriptive", "analysis-ranks"]) {
      for (const log of [false, true]) {
        const got = await calculate(page, radio, { log });
        assert.equal(got.points, rows("lab_values", (row) => row[0]), `${radio} log ${log}`);
      }
    }
    const plotted = await page.$eval("#plot svg", (svg) => svg.getAttribute("aria-label"));
    assert.match(plotted, /Normal probability plot of "Creatinine"/);

    await paste(page, readText("tests/cli/data/paired.tsv"));
    assert.equal((await calculate(page, "analysis-paired")).points, rows("paired", (row) => row[0] && row[1]));
    await paste(page, readText("tests/cli/data/groups.tsv"));
    assert.equal((await calculate(page, "analysis-nonpaired")).points, rows("groups", (row) => row[0] && row[1]));
    await paste(page, readText("tests/cli/data/correlation.tsv"));
    for (const radio of ["analysis-pearson", "analysis-spearman"]) {
      const got = await calculate(page, radio);
      assert.equal(got.points, rows("correlation", (row) => row[0] && row[1]), radio);
    }
    // The title carries the coefficient the result text gives.
    const rho = (await calculate(page, "analysis-spearman")).text.split("\n")[1].split("\t")[1];
    assert.match(await page.$eval("#plot svg", (svg) => svg.getAttribute("aria-label")), new RegExp(`Rho = ${rho}`));
    // Another column, and the plot as a file.
    await page.select("#plot-column", "2");
    await page.waitForFunction(() => document.body.dataset.plotted === "2");
    assert.equal(
      await page.$$eval('#plot g[aria-label="dot"] :is(circle, path)', (dots) => dots.length),
      rows("correlation", (row) => row[0] && row[2]),
    );
    const svg = await page.evaluate(async () => {
      const created = [];
      const original = URL.createObjectURL;
      URL.createObjectURL = (blob) => (created.push(blob), original(blob));
      document.getElementById("download-svg").click();
      URL.createObjectURL = original;
      return created[0].text();
    });
    assert.match(svg, /^<\?xml[^>]*>\n<svg[^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
    // The legend is in the file.
    assert.match(svg, /<text[^>]*>Points: ranks of the pairs<\/text>/);
    await page.close();
  });

  it("works from the keyboard alone", async () => {
    await grantClipboard(browser());
    const page = await openPage(browser());
    await page.bringToFront();
    const text = readText("tests/cli/data/correlation.tsv");
    await page.evaluate((content) => navigator.clipboard.writeText(content), text);
    const focused = () => page.evaluate(() => document.activeElement.id);
    const tabTo = async (id) => {
      for (let i = 0; i < 30 && (await focused()) !== id; i++) await page.keyboard.press("Tab");
      assert.equal(await focused(), id);
    };
    const press = async (key, modifier) => {
      if (modifier) await page.keyboard.down(modifier);
      await page.keyboard.press(key, key === "KeyV" ? { commands: ["Paste"] } : {});
      if (modifier) await page.keyboard.up(modifier);
    };
    // Paste, Extra output, Spearman (arrow keys in the radio group), Calculate.
    await tabTo("paste");
    await press("KeyV", "Control");
    await page.waitForFunction(() => /^\d+ rows/.test(document.getElementById("read-summary").textContent));
    await tabTo("extra");
    await press("Space");
    await tabTo("analysis-descriptive");
    for (let i = 0; i < 5; i++) await press("ArrowDown");
    assert.equal(await focused(), "analysis-spearman");
    await tabTo("calculate");
    await press("Enter");
    await page.waitForFunction(() => document.getElementById("result-text").textContent.length > 0);
    const want = cli(["-a", "spearman", "-x", "tests/cli/data/correlation.tsv"]).text;
    assert.equal(await page.$eval("#result-text", (box) => box.textContent), want);
    // Copy result, then another column in the plot.
    await tabTo("copy");
    await press("Enter");
    await page.waitForFunction(() => /^Copied/.test(document.getElementById("copy-status").textContent));
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), want);
    await tabTo("plot-column");
    await press("ArrowDown");
    assert.equal(await page.$eval("#plot-column", (select) => select.value), "2");
    await page.waitForFunction(() => document.body.dataset.plotted === "2");
    assert.match(await page.$eval("#plot svg", (svg) => svg.getAttribute("aria-label")), /"Marker" against "Dose"/);
    await page.close();
  });

  it("takes screenshots at 1280 x 800 and 360 x 740 after a Pearson run", async () => {
    const directory = path.join(OUTPUT, "screenshots");
    mkdirSync(directory, { recursive: true });
    for (const [width, height] of [
      [1280, 800],
      [360, 740],
    ]) {
      const page = await openPage(browser(), { width, height });
      await chooseFile(page, source("examples/correlation.wk1"));
      await calculate(page, "analysis-pearson", { extra: true });
      await page.screenshot({ path: path.join(directory, `pearson-${width}x${height}.png`), fullPage: true });
      // Nothing wider than the screen: the page scrolls only up and down.
      assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), `${width} px`);
      await page.close();
    }
  });
});
