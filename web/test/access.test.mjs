// Accessibility: axe-core finds no violation of any impact on the empty
// page, after a paste and after Calculate for every analysis (More
// statistics open); the focus ring stands out from the page at 3:1 or more.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { describe, it } from "node:test";
import {
  ANALYSES,
  calculate,
  openPage,
  paste,
  readText,
  sharedBrowser,
} from "./support.mjs";

const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");

const browser = sharedBrowser();

// axe is put into the page by the test's own channel, not as a script of
// the page: the page's Content-Security-Policy stays as it ships.
async function violations(page) {
  await page.evaluate(axeSource);
  const found = await page.evaluate(async () => (await window.axe.run(document)).violations);
  return found.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`);
}

// WCAG's relative luminance and contrast ratio of two "rgb(r, g, b)" colours.
function contrast(a, b) {
  const luminance = (css) => {
    const [r, g, bl] = css.match(/\d+(\.\d+)?/g).slice(0, 3).map((v) => {
      const c = Number(v) / 255;
      return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * bl;
  };
  const [x, y] = [luminance(a), luminance(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05);
}

describe("accessibility", () => {
  it("axe-core finds nothing on the empty page, after a paste and after every analysis", async () => {
    const page = await openPage(browser());
    assert.deepEqual(await violations(page), [], "empty page");
    await paste(page, readText("tests/cli/data/groups.tsv"));
    assert.deepEqual(await violations(page), [], "after a paste");
    // With the More statistics section open, so that its table is checked too.
    await page.click("#more-details summary");
    for (const [radio, name] of ANALYSES) {
      await calculate(page, radio, { extra: true });
      assert.deepEqual(await violations(page), [], name);
    }
    await page.close();
  });

  it("the paste area is a named region, no edit field that ignores typing, and a paste there is read", async () => {
    const page = await openPage(browser());
    const node = await page.accessibility.snapshot({ root: await page.$("#paste"), interestingOnly: false });
    assert.deepEqual([node.role, node.name], ["region", "Paste area"]);
    await page.focus("#paste");
    await page.keyboard.type("12");
    assert.equal(await page.$eval("#read-summary", (p) => p.textContent), "Nothing yet.");
    await paste(page, readText("tests/cli/data/groups.tsv"));
    assert.match(await page.$eval("#read-summary", (p) => p.textContent), /^\d+ rows and 3 columns/);
    await page.close();
  });

  it("the focus ring has a contrast of at least 3:1 with what is around it", async () => {
    const page = await openPage(browser());
    for (const id of ["paste", "calculate", "decimal-comma"]) {
      await page.focus(`#${id}`);
      const [ring, ...grounds] = await page.$eval(`#${id}`, (e) => {
        const style = getComputedStyle(e);
        const panel = getComputedStyle(e.closest("section")).backgroundColor;
        return [style.outlineColor, panel, getComputedStyle(document.body).backgroundColor || "rgb(255, 255, 255)"];
      });
      for (const ground of grounds) {
        const shown = ground === "rgba(0, 0, 0, 0)" ? "rgb(255, 255, 255)" : ground;
        assert.ok(contrast(ring, shown) >= 3, `${id}: ${ring} on ${shown}`);
      }
    }
    await page.close();
  });
});
