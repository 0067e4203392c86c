// What the page shows and copies around the result: it always belongs to
// the input and choices on show; decimal commas come back as they went in;
// column titles name the columns; HTML and ";"-separated clipboards are
// read; messages say what to change; doubtful input is pointed out.
import assert from "node:assert/strict";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { after, before, describe, it } from "node:test";
import { calculate, chooseFile, cli, launch, messages, openPage, paste, readText, source } from "./support.mjs";

let browser;
let scratch;
before(async () => {
  browser = await launch();
  const session = await browser.target().createCDPSession();
  await session.send("Browser.grantPermissions", { permissions: ["clipboardReadWrite", "clipboardSanitizedWrite"] });
  scratch = mkdtempSync(path.join(tmpdir(), "morvenda-trust-"));
});
after(async () => {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
});

const write = (name, content) => {
  const file = path.join(scratch, name);
  writeFileSync(file, content);
  return file;
};

const text = (page, id) => page.$eval(`#${id}`, (e) => e.textContent);

// A paste carrying the given clipboard types.
async function pasteTypes(page, types) {
  await page.$eval(
    "#paste",
    (area, entries) => {
      const data = new DataTransfer();
      for (const [type, value] of entries) data.setData(type, value);
      area.dispatchEvent(new ClipboardEvent("paste", { clipboardData: data, bubbles: true, cancelable: true }));
    },
    Object.entries(types),
  );
  await page.waitForFunction(() => document.getElementById("read-summary").textContent !== "Nothing yet.");
}

async function copy(page) {
  await page.evaluate(() => (document.getElementById("copy-status").textContent = ""));
  await page.click("#copy");
  await page.waitForFunction(() => document.getElementById("copy-status").textContent !== "");
  return { copied: await page.evaluate(() => navigator.clipboard.readText()), said: await text(page, "copy-status") };
}

describe("what Copy result copies", () => {
  it("follows every change of choice and input, and names what was copied", async () => {
    const page = await openPage(browser);
    await page.bringToFront();
    const file = "tests/cli/data/correlation.tsv";
    await paste(page, readText(file));
    await calculate(page, "analysis-paired");
    // The user changes the analysis and an option with the mouse: the
    // result on show and on the clipboard is the new one at once.
    await page.click("#analysis-pearson");
    await page.click("#log-y");
    await page.waitForFunction(() => /^Pearson/.test(document.getElementById("result-text").textContent));
    const { copied, said } = await copy(page);
    assert.equal(copied, cli(["-a", "pearson", "-y", file]).text);
    assert.equal(said, "Copied: Pearson (Log-transformation y values) of the pasted text.");

    // Another input: the result follows it too.
    await paste(page, readText("tests/cli/data/paired.tsv"));
    await page.waitForFunction(() => /^Copied|^$/.test(document.getElementById("copy-status").textContent));
    await page.waitForFunction(() => document.getElementById("result-text").textContent !== "");
    assert.equal((await copy(page)).copied, cli(["-a", "pearson", "-y", "tests/cli/data/paired.tsv"]).text);

    // "Copy with column titles" puts one line of titles above it.
    await page.click("#copy-with-titles");
    const titled = await copy(page);
    assert.equal(titled.copied, "\tAfter\tFollow-up\n" + cli(["-a", "pearson", "-y", "tests/cli/data/paired.tsv"]).text);
    assert.match(titled.said, /, with column titles\.$/);
    await page.close();
  });
});

describe("results with a decimal comma", () => {
  it("come back with a decimal comma after text read with one, and with points from a WK1 file", async () => {
    const page = await openPage(browser);
    await page.$eval("#decimal-comma", (box) => (box.checked = true));
    const file = "tests/cli/data/paired_decimal_comma.tsv";
    await paste(page, readText(file));
    const got = await calculate(page, "analysis-paired", { extra: true });
    assert.equal(got.text, cli(["-a", "paired", "-x", "--decimal-comma", file]).text);
    assert.match(got.text, /\t-?\d+,\d{4}\n/);
    assert.doesNotMatch(got.text, /\d\.\d/);
    await chooseFile(page, source("examples/paired.wk1"));
    const wk1 = await calculate(page, "analysis-paired", { extra: true });
    assert.equal(wk1.text, cli(["-a", "paired", "-x", "examples/paired.wk1"]).text);
    await page.close();
  });
});

describe("column titles", () => {
  it("name the columns everywhere, and title cells are not missing cells", async () => {
    const page = await openPage(browser);
    await paste(page, readText("tests/cli/data/lab_values.tsv"));
    assert.deepEqual(await page.$$eval("#preview th[scope=col]", (h) => h.map((e) => e.textContent)), [
      "Creatinine",
      "CRP",
      "Ferritin",
    ]);
    // "<0.5" as it was written.
    assert.ok((await page.$$eval("#preview td", (c) => c.map((e) => e.textContent))).includes("<0.5"));
    assert.match(await text(page, "read-summary"), /, 2 missing cells, 3 title cells\.$/);
    await calculate(page, "analysis-descriptive");
    assert.deepEqual(await page.$$eval("#plot-column option", (o) => o.map((e) => e.textContent)), [
      "Creatinine",
      "CRP",
      "Ferritin",
    ]);
    assert.deepEqual(await page.$$eval("#result-table thead th", (h) => h.map((e) => e.textContent)), [
      "Statistic",
      "Creatinine",
      "CRP",
      "Ferritin",
    ]);
    // Row labels first, as a person reads a table.
    assert.equal(await page.$eval("#result-table tbody tr th", (th) => th.textContent), "Min");
    // The plot is one named image, which says that "<" and ">" cells are
    // drawn at their estimates.
    assert.match(
      await page.$eval("#plot [role=img]", (f) => f.getAttribute("aria-label")),
      /^Normal probability plot of "Creatinine"\. .*drawn at their estimated values/,
    );
    await page.close();
  });

  it('"First row holds titles" takes a row of years as titles, as --first-row-titles does', async () => {
    const page = await openPage(browser);
    const file = "tests/cli/data/years.tsv";
    await paste(page, readText(file));
    assert.match((await messages(page)).join("\n"), /numbers such as 2019 that look like titles/);
    await page.click("#first-row-titles");
    const got = await calculate(page, "analysis-paired");
    assert.equal(got.text, cli(["-a", "paired", "--first-row-titles", file]).text);
    assert.notEqual(got.text, cli(["-a", "paired", file]).text);
    assert.match(await text(page, "result-table"), /2020/);
    await page.close();
  });
});

describe("clipboards the page reads", () => {
  it("the first table of text/html when there is no text/plain, and ';'-separated text as CSV", async () => {
    const page = await openPage(browser);
    const tsv = readText("tests/cli/data/groups.tsv");
    const rows = tsv.trim().split("\n").map((line) => `<tr>${line.split("\t").map((c) => `<td> ${c.replace("<", "&lt;")} </td>`).join("")}</tr>`);
    // A script in it must not run: the page parses the HTML, never runs it.
    const html = `<html><body><script>window.ran = true</script><p>x</p><table>${rows.join("")}</table><table><tr><td>9</td></tr></table></body></html>`;
    await pasteTypes(page, { "text/html": html });
    let got = await calculate(page, "analysis-nonpaired", { extra: true });
    assert.equal(got.text, cli(["-a", "nonpaired", "-x", "tests/cli/data/groups.tsv"]).text);
    assert.equal(await page.evaluate(() => window.ran), undefined);

    const csv = "tests/cli/data/paired_decimal_comma.csv";
    await paste(page, readText(csv));
    got = await calculate(page, "analysis-paired");
    assert.equal(got.text, cli(["-a", "paired", "--input-format", "csv", "--decimal-comma", csv]).text);
    await page.close();
  });
});

describe("doubtful input", () => {
  it('names "<" and ">" cells without a limit, and says when no column holds a number', async () => {
    const page = await openPage(browser);
    await paste(page, "A\tB\n1\t<abc\n2\t3\n>zz\t4\n5\t<0.5\n");
    const said = (await messages(page)).join("\n");
    assert.match(said, /2 cells start with "<" or ">" but give no limit: "<abc" \(row 2, "B"\), ">zz" \(row 4, "A"\)/);
    const page2 = await openPage(browser);
    const file = write("page.html", "<html>\n<head>\n<title>x</title>\n</head>\n<body>\n<p>Hello</p>\n</body>\n</html>\n");
    await chooseFile(page2, file);
    assert.match((await messages(page2)).join("\n"), /No column holds a number/);
    await page.close();
    await page2.close();
  });
});
