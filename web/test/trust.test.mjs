// What the page shows and copies around the result: it always belongs to
// the input and choices on show; decimal commas come back as they went in;
// column titles name the columns; HTML and ";"-separated clipboards are
// read; messages say what to change; doubtful input is pointed out.
import assert from "node:assert/strict";
import { describe, it } from "node:test";
import {
  WITH_ROWS,
  calculate,
  chooseFile,
  cli,
  messages,
  openPage,
  paste,
  readText,
  scratchFolder,
  sharedBrowser,
  source,
} from "./support.mjs";

const browser = sharedBrowser({ clipboard: true });

const write = scratchFolder("morvenda-trust-");

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
    const page = await openPage(browser());
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
    const page = await openPage(browser());
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
    const page = await openPage(browser());
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
    // The plot is one named image, which says where "<" and ">" cells are
    // drawn.
    assert.match(
      await page.$eval("#plot [role=img]", (f) => f.getAttribute("aria-label")),
      /^Normal probability plot of "Creatinine"\. .*open at their limit/,
    );
    await page.close();
  });

  it('"First row holds titles" takes a row of years as titles, as --first-row-titles does', async () => {
    const page = await openPage(browser());
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
    const page = await openPage(browser());
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
    const page = await openPage(browser());
    await paste(page, "A\tB\n1\t<abc\n2\t3\n>zz\t4\n5\t<0.5\n");
    const said = (await messages(page)).join("\n");
    assert.match(said, /2 cells start with "<" or ">" but give no limit: "<abc" \(row 2, "B"\), ">zz" \(row 4, "A"\)/);
    const page2 = await openPage(browser());
    const file = write("page.html", "<html>\n<head>\n<title>x</title>\n</head>\n<body>\n<p>Hello</p>\n</body>\n</html>\n");
    await chooseFile(page2, file);
    assert.match((await messages(page2)).join("\n"), /No column holds a number/);
    await page.close();
    await page2.close();
  });
});

describe("the readable table and the plot", () => {
  it("name Nonpaired's groups by their codes, in the table as in the plot", async () => {
    const page = await openPage(browser());
    await paste(page, readText("tests/cli/data/groups.tsv"));
    const got = await calculate(page, "analysis-nonpaired", { extra: true });
    const labels = await page.$$eval("#result-table tbody th", (ths) => ths.map((th) => th.textContent));
    for (const [label, code] of [["mean0", 1], ["mean1", 2], ["N0", 1], ["N1", 2], ["median1", 2], ["MW R0", 1]]) {
      assert.ok(got.text.includes(`\n${label}\t`), label);
      assert.ok(labels.includes(`${label} (group ${code})`), `${label}: ${labels.join(", ")}`);
    }
    assert.ok(labels.includes("p (T-test)"));
    await page.waitForFunction(() => document.body.dataset.plotted !== undefined);
    const plotText = await page.$eval("#plot svg", (svg) => svg.textContent);
    assert.match(plotText, /Group 1/);
    assert.match(plotText, /Group 2/);
    await page.close();
  });

  it("explain every row label, floor p as '< 0.001' in the table only, and note the matrix as it is", async () => {
    const page = await openPage(browser());
    await paste(page, readText("tests/cli/data/lab_values.tsv"));
    const table = () =>
      page.$$eval("#result-table tbody tr", (rows) =>
        rows.map((tr) => [...tr.cells].map((c) => ({ text: c.textContent, note: c.dataset.note, head: c.tagName === "TH" }))),
      );
    for (const [radio, name] of WITH_ROWS) {
      for (const options of [{ extra: true }, { log: true, extra: true }]) {
        const got = await calculate(page, radio, options);
        const rows = await table();
        // Every label of the result's own rows is explained (the matrix's
        // rows are named by column titles instead).
        const labels = rows.filter((r) => r[0].head && r.length > 1 && !/^(Creatinine|CRP|Ferritin|Below)/.test(r[0].text));
        assert.deepEqual(labels.filter((r) => !r[0].note).map((r) => r[0].text), [], `${name} ${JSON.stringify(options)}`);
        if (name === "pearson" || name === "spearman") {
          // The text keeps the floor as written; the table says what it means.
          const p = got.text.split("\n").find((l) => l.startsWith("p value\t")).split("\t").slice(1);
          const shown = rows.find((r) => r[0].text === "p value").slice(1).map((c) => c.text);
          assert.deepEqual(shown, p.map((v) => (v === "0.0010" ? "< 0.001" : v)));
          // The matrix note against the command line's matrix: coefficients
          // below the diagonal, each column's values on it, pairs above it.
          const lines = cli(["-a", name, "-x", "tests/cli/data/lab_values.tsv"]).text.split("\n");
          const matrix = lines.filter((l) => /^\s+-?\d/.test(l)).map((l) => l.trim().split(/\s+/));
          const row = (label) => lines.find((l) => l.startsWith(`${label}\t`)).split("\t").slice(1);
          const totals = cli(["tests/cli/data/lab_values.tsv"]).text.split("\n").find((l) => l.endsWith("\tN total")).split("\t");
          matrix.forEach((cells, r) => {
            assert.equal(cells[r], totals[r], `${name}: column ${r + 1}'s values on the diagonal`);
            if (r > 0) assert.equal(cells[0], row(name === "pearson" ? "Pearson R" : "Rho")[r - 1], `${name}: coefficient below`);
            if (r > 0) assert.equal(matrix[0][r], row("N")[r - 1], `${name}: pairs above`);
          });
          assert.match(rows.find((r) => r[0].text.startsWith("Below"))[0].text, /^Below the diagonal: coefficients; on it: each column's number of values; above it: numbers of pairs$/);
        }
      }
    }
    // On focus the explanation shows beside the label.
    await page.focus("#result-table tbody th[data-note]");
    assert.equal(await page.$eval("#label-note", (n) => (n.hidden ? "" : n.textContent)), await page.$eval("#result-table tbody th[data-note]", (th) => th.dataset.note));
    await page.close();
  });

  it("give each '<' and '>' point its written cell, drawn at its limit, and the result's own digits", async () => {
    const page = await openPage(browser());
    await paste(page, readText("tests/cli/data/lab_values.tsv"));
    await calculate(page, "analysis-descriptive");
    for (const [column, written, at, side] of [
      ["1", "<0\\.5", "0\\.5000", "below"],
      ["2", ">1000", "1000\\.0000", "above"],
    ]) {
      await page.select("#plot-column", column);
      await page.waitForFunction((c) => document.body.dataset.plotted === c, {}, column);
      const tips = await page.$$eval("#plot svg title", (titles) => titles.map((t) => t.textContent));
      const limit = new RegExp(`^Row \\d+: "${written}", drawn at its limit ${at}: its value lies ${side}$`);
      assert.ok(tips.some((t) => limit.test(t)), tips.join("\n"));
    }
    await paste(page, readText("tests/cli/data/paired.tsv"));
    const got = await calculate(page, "analysis-paired");
    const cell = (label) => got.text.split("\n").find((l) => l.startsWith(`${label}\t`)).split("\t")[1];
    assert.match(
      await page.$eval("#plot .plot-note", (n) => n.textContent),
      new RegExp(`mean difference ${cell("mean difference")}; dashed: 95% interval ${cell("95% CI lower limit")} to ${cell("95% CI upper limit")}$`),
    );
    await page.close();
  });
});
