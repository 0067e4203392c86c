// More statistics in the page: for every example (pasted, pasted with a
// decimal comma, opened as .wk1) and every analysis with rows, the
// section's text is the command line's --more report, its table holds the
// same rows with every label explained, and Copy puts the text on the
// clipboard; an open section follows the result, never shows a report
// that came back for an older choice, and says Show Ranks has none.
import assert from "node:assert/strict";
import { describe, it } from "node:test";
import {
  EXAMPLES,
  WITH_ROWS,
  calculate,
  chooseFile,
  cli,
  idle,
  openPage,
  paste,
  readText,
  sharedBrowser,
  source,
} from "./support.mjs";

// The command line's More statistics: what follows its empty line; ""
// where the analysis refuses the worksheet.
function cliMore(args) {
  const text = cli(["-m", ...args]).text;
  const at = text.indexOf("\n\nMore statistics\n");
  return at < 0 ? "" : text.slice(at + 2);
}

const browser = sharedBrowser({ clipboard: true });

// Opens the section; done once what it computes for the result is shown.
async function openSection(page) {
  await page.click("#more-details summary");
  await page.waitForFunction(() => !/^(Open|Computing)/.test(document.getElementById("more-status").textContent));
}

// What the section shows: its text, its table's rows as tab-separated
// lines, the labels without an explanation, and its status.
const section = (page) =>
  page.evaluate(() => ({
    text: document.getElementById("more-text").textContent,
    rows: [...document.querySelectorAll("#more-table tbody tr")].map((tr) => [...tr.cells].map((c) => c.textContent).join("\t")),
    unexplained: [...document.querySelectorAll("#more-table tbody th")].filter((th) => !th.dataset.note).map((th) => th.textContent),
    status: document.getElementById("more-status").textContent,
  }));

async function copyMore(page) {
  await page.evaluate(() => (document.getElementById("more-copy-status").textContent = ""));
  await page.click("#copy-more");
  await page.waitForFunction(() => document.getElementById("more-copy-status").textContent !== "");
  return {
    said: await page.$eval("#more-copy-status", (s) => s.textContent),
    ...(await page.evaluate(async () => {
      const [item] = await navigator.clipboard.read();
      return { text: await (await item.getType("text/plain")).text(), html: await (await item.getType("text/html")).text() };
    })),
  };
}

describe("More statistics", () => {
  for (const example of EXAMPLES) {
    it(`${example}: the command line's report, its rows explained, and Copy, for every analysis`, async () => {
      const page = await openPage(browser());
      await page.bringToFront();
      await openSection(page);
      for (const [file, comma, args] of [
        [`tests/cli/data/${example}.tsv`, false, []],
        [`tests/cli/data/${example}_decimal_comma.tsv`, true, ["--decimal-comma"]],
        [`examples/${example}.wk1`, false, []],
      ]) {
        await page.$eval("#decimal-comma", (box, on) => (box.checked = on), comma);
        if (file.endsWith(".wk1")) await chooseFile(page, source(file));
        else await paste(page, readText(file));
        for (const [radio, name] of WITH_ROWS) {
          const what = `${file} ${name}`;
          await calculate(page, radio);
          const want = cliMore(["-a", name, ...args, file]);
          const shown = await section(page);
          assert.equal(shown.text, want, what);
          assert.deepEqual(shown.rows, want.split("\n").slice(1, -1), `table of ${what}`);
          assert.deepEqual(shown.unexplained, [], `labels of ${what}`);
          if (want === "") continue;
          const copied = await copyMore(page);
          assert.equal(copied.text, want, `copy of ${what}`);
          assert.match(copied.said, /^Copied: more statistics of /);
          assert.match(copied.html, /^<table><thead><tr><th scope="col">More statistics<\/th>/);
        }
      }
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }

  it("follows the result, drops a report that comes back for an older choice, and has none for Show Ranks", async () => {
    const page = await openPage(browser());
    const file = "tests/cli/data/groups.tsv";
    await paste(page, readText(file));
    await calculate(page, "analysis-nonpaired");
    // Closed, the section computes nothing.
    assert.equal((await section(page)).text, "");
    await openSection(page);
    assert.equal((await section(page)).text, cliMore(["-a", "nonpaired", file]));

    // Paired is chosen; right after its result is shown, and its report
    // asked for, Pearson is: Paired's report must never show.
    await page.evaluate(() => {
      const box = document.getElementById("more-text");
      window.shownMore = [];
      new MutationObserver(() => window.shownMore.push(box.textContent)).observe(box, { childList: true, subtree: true, characterData: true });
      const once = new MutationObserver(() => {
        once.disconnect();
        document.getElementById("analysis-pearson").click();
      });
      once.observe(document.getElementById("result-status"), { childList: true, subtree: true, characterData: true });
      document.getElementById("analysis-paired").click();
    });
    await page.waitForFunction(() => /^Pearson/.test(document.getElementById("more-status").textContent));
    await idle(page);
    const pearson = cliMore(["-a", "pearson", file]);
    assert.deepEqual([...new Set(await page.evaluate(() => window.shownMore.filter((t) => t !== "")))], [pearson]);

    // Another input: the report follows it.
    await paste(page, readText("tests/cli/data/paired.tsv"));
    await page.waitForFunction(() => document.getElementById("more-text").textContent !== "");
    await idle(page);
    assert.equal((await section(page)).text, cliMore(["-a", "pearson", "tests/cli/data/paired.tsv"]));

    await calculate(page, "analysis-ranks");
    const ranks = await section(page);
    assert.deepEqual([ranks.text, ranks.rows, ranks.status], ["", [], "Show Ranks has no more statistics."]);
    assert.equal(await page.$eval("#copy-more", (b) => b.disabled), true);
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});
