// The page: paste area, Paste button, file button and drop, the decimal
// comma and the title row, the dialog's choices, Calculate, the result as
// text and as a table, Copy result, More statistics, and the plot. Reading
// and every statistic are the core's, which runs in a worker (client.js,
// worker.js), so that the page never waits for it: each answer is shown
// when it comes, unless a newer input or choice has made it out of date.
import { startWorker } from "./client.js";
import { drawPlot, sentence, svgText } from "./plots.js";
import { showRows } from "./rows_view.js";
import { firstResultColumn, moreTable, resultTable, showTable, tableHtml, titleLine, useAnalyses } from "./result_table.js";

const $ = (id) => document.getElementById(id);

// What the program says of itself (engine.js, contract): set once it runs.
let MAX_ROWS, MAX_COLUMNS, SHOW_RANKS, TEXT, CSV, WK1, PASTE, PASTE_CSV;

const call = startWorker();
let engine = null; // {capacity} once the program runs
let input = null; // the last input: {kind, cut, total, name}, read again when a reading choice changes
let read = null; // what the core made of it
let written = []; // its rows as written, one text per row, cells separated by tabs
let result = null; // the last result: {text, analysis, columns, key, state, ...}
let more = null; // its More statistics once shown: {result, text, table}
let inputCount = 0; // counts inputs and readings, so that a result knows which one it belongs to
let reading = Promise.resolve(); // the reading under way: Calculate waits for it
let following = false; // once calculated, the result follows every change of choice

const ready = call("contract").then(
  ({ contract: c, capacity }) => {
    engine = { capacity };
    ({ maxRows: MAX_ROWS, maxColumns: MAX_COLUMNS, showRanks: SHOW_RANKS } = c);
    ({ text: TEXT, csv: CSV, wk1: WK1, paste: PASTE, pasteCsv: PASTE_CSV } = c.inputKinds);
    useAnalyses(c);
    // For the page's tests, which hold the page's controls against it.
    window.morvendaContract = c;
    document.body.dataset.ready = "true";
  },
  (error) => showMessages([{ text: `The program could not be started in this browser: ${error}` }]),
);

// ---- Messages ----------------------------------------------------------

// Every message in one style: its text, and after a refusal one line on
// what to change. The program's captions are left out: the page is one
// program, and its messages stand in one box.
function showMessages(list) {
  const box = $("messages");
  box.replaceChildren();
  for (const message of list) {
    const line = document.createElement("p");
    line.className = message.hint ? "message hint-line" : "message";
    line.textContent = message.text.replace(/[\r\n]+$/, "");
    box.append(line);
  }
}

const megabytes = (bytes) => `${(bytes / (1024 * 1024)).toFixed(1)} MB`;
const plural = (n, one, many) => `${n} ${n === 1 ? one : many}`;

// A column as the page names it: its title, else its number.
const columnName = (c) => (read && read.titles[c] ? `"${read.titles[c]}"` : `column ${c + 1}`);
const columnLabel = (c) => (read && read.titles[c] ? read.titles[c] : `Column ${c + 1}`);

// What the page adds to the reader's messages about an input.
function readNotes(read) {
  const notes = [];
  const name = sentence(input.name);
  if (read.notText) notes.push(`${name} is neither a WK1 worksheet nor text, so it was not read.`);
  if (input.cut) {
    notes.push(`${name} holds ${megabytes(input.total)}; only its first ${megabytes(engine.capacity)} were read.`);
  }
  if (input.semicolons) {
    notes.push(`${name} has no tabs and is separated by ";": it was read as comma-separated values with a decimal comma.`);
  }
  if (input.fromHtml) notes.push(`${name} was a table of a web page: its cells were read.`);
  const rowsOut = read.extentRows - MAX_ROWS;
  const columnsOut = read.extentColumns - MAX_COLUMNS;
  if (rowsOut > 0 || columnsOut > 0) {
    // A cut text may have had more rows and columns; a WK1 stream gives its
    // size in its first records.
    const atLeast = input.cut && read.format !== "wk1" ? "at least " : "";
    const left = [];
    if (rowsOut > 0) left.push(plural(rowsOut, "row", "rows"));
    if (columnsOut > 0) left.push(plural(columnsOut, "column", "columns"));
    notes.push(
      `The worksheet has ${atLeast}${read.extentRows} rows and ${read.extentColumns} columns; Morvenda reads at ` +
        `most ${MAX_ROWS} x ${MAX_COLUMNS}, so ${atLeast}${left.join(" and ")} beyond them were left out.`,
    );
  }
  if (read.otherPoint.count > 0) {
    const comma = $("decimal-comma").checked;
    notes.push(
      `${plural(read.otherPoint.count, "cell", "cells")} such as "${read.otherPoint.example}" ` +
        `${read.otherPoint.count === 1 ? "was" : "were"} read as missing: numbers with a decimal ` +
        `${comma ? 'point are read with "Decimal comma" unchecked' : 'comma are read with "Decimal comma" checked'}.`,
    );
  }
  if (!read.notText && !read.values) notes.push(`${name} holds no value: no cell is a number, nor "<" or ">".`);
  else if (read.worksheet && (read.rows <= 0 || read.columns <= 0)) notes.push("No cells were read.");
  if (read.worksheet) notes.push(...doubts(read));
  return notes.map((text) => ({ text }));
}

// Input the reader takes as it is, but which is seldom what was meant.
function doubts(read) {
  const notes = [];
  const { count, cells } = read.limitless;
  if (count > 0) {
    const named = cells.map((c) => `"${c.text}" (row ${c.row + 1}, ${columnName(c.column)})`).join(", ");
    notes.push(
      `${plural(count, "cell starts", "cells start")} with "<" or ">" but give${count === 1 ? "s" : ""} no limit: ` +
        `${named}${count > cells.length ? ", ..." : ""}. ${count === 1 ? "It counts" : "They count"} as ` +
        `${count === 1 ? "a value" : "values"} beyond a measuring limit; correct ${count === 1 ? "it" : "them"} ` +
        `if ${count === 1 ? "it is" : "they are"} not.`,
    );
  }
  if (read.rows > 0 && read.columns > 0 && read.numbers === 0) {
    notes.push("No column holds a number, so the results will be empty: paste the cells of a worksheet.");
  }
  const first = writtenRow(0);
  const yearLike = first.length > 1 && first.every((cell, c) => read.kinds[0][c] === "n" && /^(1[89]|20)\d\d$/.test(cell));
  if (yearLike && !$("first-row-titles").checked) {
    notes.push(
      `The first row holds numbers such as ${first[0]} that look like titles; they are read as data. ` +
        'If they are titles, tick "First row holds titles".',
    );
  }
  return notes;
}

// ---- Reading -------------------------------------------------------------

function showRead() {
  const summary = $("read-summary");
  const table = $("preview");
  table.replaceChildren();
  showRows(table, document.createElement("tbody"), 0, null);
  if (!read.worksheet) {
    summary.textContent = "No worksheet was read.";
    return;
  }
  summary.textContent =
    `${plural(Math.max(0, read.rows), "row", "rows")} and ${plural(Math.max(0, read.columns), "column", "columns")} ` +
    `read from ${input.name}: ${plural(read.numbers, "number", "numbers")}, ` +
    `${plural(read.small, '"<" cell', '"<" cells')}, ${plural(read.big, '">" cell', '">" cells')}, ` +
    `${plural(read.missing, "missing cell", "missing cells")}, ${plural(read.titleCells, "title cell", "title cells")}.`;
  if (written.length === 0) return;
  const caption = document.createElement("caption");
  caption.textContent = `The ${plural(written.length, "row", "rows")} as written (text cells are missing values, titles name the columns)`;
  const head = document.createElement("thead");
  const titles = document.createElement("tr");
  titles.append(cell("th", "Row"));
  for (let c = 0; c < read.columns; c++) titles.append(cell("th", columnLabel(c), "col"));
  head.append(titles);
  const body = document.createElement("tbody");
  table.append(caption, head, body);
  // Rows are made as they come into view: a cell's text is split off its
  // row's line only then.
  showRows(table, body, written.length, (r) => {
    const line = document.createElement("tr");
    line.append(cell("th", `${r + 1}`, "row"));
    writtenRow(r).forEach((v, c) => {
      const td = cell("td", v);
      td.className = { n: "number", t: "title", m: "missing" }[read.kinds[r][c]] || "marker";
      line.append(td);
    });
    return line;
  });
}

const writtenRow = (r) => (r < written.length ? written[r].split("\t") : []);

function cell(tag, text, scope) {
  const element = document.createElement(tag);
  element.textContent = text;
  if (scope) element.scope = scope;
  return element;
}

// Reads the input: a new one (`payload`: {text} or {bytes, cut}), or the
// last one again with the reading choices as they are now. From the paste
// to what was read shown, the page marks its time (data-read-ms).
function readAgain(payload = null, started = performance.now()) {
  const count = ++inputCount;
  const asked = call("read", payload, input.kind, $("decimal-comma").checked, $("first-row-titles").checked);
  reading = asked.then(
    (answer) => {
      if (count !== inputCount) return;
      showReading(answer);
      markShown("readMs", started);
    },
    (error) => showMessages([{ text: `The input could not be read: ${error.message}` }]),
  );
  return reading;
}

function showReading(answer) {
  read = answer.read;
  input.cut = answer.put.cut;
  written = answer.written.split("\n");
  written.pop();
  const hadResult = result !== null;
  clearResult();
  showRead();
  const notes = [...readNotes(read), ...read.messages.map(programMessage)];
  if (!read.worksheet && read.messages.length > 0) {
    notes.push({ text: "Copy the cells in the spreadsheet and paste them again, or open a .wk1, .csv or text file.", hint: true });
  }
  showMessages(notes);
  // A result on show is recalculated for the new input, so that it never
  // belongs to another one.
  if (hadResult && read.worksheet) calculate({ keepMessages: notes });
}

const programMessage = (message) => ({ text: message.text });

async function readText(text, name, extra = {}) {
  const started = performance.now();
  await ready;
  if (!engine) return;
  // Text with no tab but ";" between its cells is what a spreadsheet
  // writing a decimal comma saves as .csv: read it so, with the comma.
  const semicolons = !text.includes("\t") && text.includes(";");
  if (semicolons) $("decimal-comma").checked = true;
  input = { kind: semicolons ? PASTE_CSV : PASTE, cut: false, total: text.length, name, semicolons, ...extra };
  // No more than the program takes goes over to it.
  const head = text.length > engine.capacity ? text.slice(0, engine.capacity) : text;
  await readAgain({ text: head, cut: head.length < text.length }, started);
}

async function readFile(file) {
  const started = performance.now();
  await ready;
  if (!engine) return;
  const bytes = await file.slice(0, engine.capacity).arrayBuffer();
  const lower = file.name.toLowerCase();
  const kind = lower.endsWith(".wk1") ? WK1 : lower.endsWith(".csv") ? CSV : TEXT;
  const cut = file.size > engine.capacity;
  input = { kind, cut, total: file.size, name: `"${file.name}"` };
  await readAgain({ bytes, cut }, started);
}

// The cells of the first table of an HTML clipboard, as tab-separated text.
// The HTML is parsed, never run: DOMParser makes an inert document.
function htmlTableText(html) {
  const table = new DOMParser().parseFromString(html, "text/html").querySelector("table");
  if (!table) return null;
  const clean = (text) => text.replace(/[\t\r\n\u00a0]+/g, " ").trim();
  return [...table.rows].map((row) => [...row.cells].map((c) => clean(c.textContent)).join("\t")).join("\n") + "\n";
}

// What a clipboard offers, as text for the reader: text/plain, or the
// first table of text/html when there is no usable text/plain.
function takeClipboard(plain, html) {
  if (plain && plain.trim() !== "") return { text: plain };
  const table = html ? htmlTableText(html) : null;
  if (table !== null) return { text: table, fromHtml: true };
  return { text: plain || "" };
}

// ---- Calculate and the result ------------------------------------------

const ANALYSIS_NAMES = {};
document.querySelectorAll('input[name="analysis"]').forEach((radio) => {
  ANALYSIS_NAMES[radio.value] = document.querySelector(`label[for="${radio.id}"]`).textContent;
});

function choices() {
  return {
    analysis: Number(document.querySelector('input[name="analysis"]:checked').value),
    log: $("log").checked,
    logY: $("log-y").checked,
    extra: $("extra").checked,
  };
}

// Everything a result depends on: the input as read, and the dialog's choices.
const resultKey = () => JSON.stringify([inputCount, choices()]);

function clearResult() {
  result = null;
  $("result-text").replaceChildren();
  showRows($("result-table"), document.createElement("tbody"), 0, null);
  $("result-table").replaceChildren();
  $("result-status").textContent = "";
  $("copy-status").textContent = "";
  $("copy").disabled = true;
  $("plot-column").replaceChildren();
  $("plot-column").disabled = true;
  $("download-svg").disabled = true;
  $("plot").replaceChildren();
  clearMore("No result yet.");
}

// One line on what to change after the analysis refused the worksheet.
function refusalHint(status, analysis) {
  const name = ANALYSIS_NAMES[analysis];
  if (status === 3) return "For Nonpaired tests column 1 must hold the group codes: two different values, one per group.";
  if (status === 2) return `${name} needs at least three rows with values: paste more rows.`;
  if (status === 1) {
    if (String(analysis) === $("analysis-nonpaired").value)
      return "Nonpaired tests need column 1 with the group codes and at least one column of values beside it.";
    return `${name} compares every column with column 1 (the reference): paste at least two columns.`;
  }
  return null;
}

async function calculate({ keepMessages = [] } = {}) {
  const started = performance.now();
  await ready;
  await reading;
  if (!engine) return;
  if (!read || !read.worksheet) {
    clearResult();
    showMessages([{ text: "Paste or open a worksheet first" }]);
    markShown("calculateMs", started);
    return;
  }
  following = true;
  const chosen = choices();
  const key = resultKey();
  const { run, text, state } = await call("calculate", chosen.analysis, chosen.log, chosen.logY, chosen.extra);
  // A newer input or choice has come meanwhile: its own Calculate shows.
  if (key !== resultKey()) return;
  clearResult();
  showResultText(text);
  const said = [...keepMessages, ...run.messages.map(programMessage)];
  const hint = refusalHint(run.status, chosen.analysis);
  if (hint) said.push({ text: hint, hint: true });
  showMessages(said);
  if (text.length > 0) {
    result = { text, ...chosen, columns: run.columns, decimalComma: run.decimalComma, key, state };
    result.table = resultTable(text, chosen.analysis, result.columns, columnLabel, run.groupCodes);
    showTable($("result-table"), result.table);
    const lines = text.split("\n").length - (text.endsWith("\n") ? 1 : 0);
    $("result-status").textContent = `${describe(result)}: ${plural(lines, "line", "lines")}.`;
    $("copy").disabled = false;
  } else {
    $("result-status").textContent = "No result.";
    clearMore("No result, so no more statistics.");
  }
  markShown("calculateMs", started);
  // More statistics follow the result while their section is open.
  if (result) showMore();
  // The plot comes after the result is shown, in tasks of its own.
  if (result) fillPlotColumns();
}

// The result text in blocks of lines, each laid out only when in view
// (content-visibility), so that a long listing costs no more than a short
// one; its text is the result's, character for character.
const TEXT_BLOCK = 64;
function showResultText(text) {
  const lines = text.split("\n");
  const blocks = [];
  for (let i = 0; i < lines.length; i += TEXT_BLOCK) {
    const block = document.createElement("pre");
    const last = i + TEXT_BLOCK >= lines.length;
    block.textContent = lines.slice(i, i + TEXT_BLOCK).join("\n") + (last ? "" : "\n");
    if (block.textContent === "") continue;
    block.style.containIntrinsicSize = `auto ${Math.min(TEXT_BLOCK, lines.length - i) * 1.3}em`;
    blocks.push(block);
  }
  $("result-text").replaceChildren(...blocks);
}

// Paste to what was read, and Calculate to result shown: the page's own
// figures (the time to the next frame), read by its tests and benchmark.
function markShown(what, started) {
  requestAnimationFrame(() => {
    document.body.dataset[what] = (performance.now() - started).toFixed(1);
  });
}

// "Pearson (Log-transformation, Extra output) of the pasted text".
function describe(r) {
  const options = [];
  if (r.log) options.push("Log-transformation");
  if (r.logY && !$("log-y").disabled) options.push("Log-transformation y values");
  if (r.extra) options.push("Extra output");
  return `${ANALYSIS_NAMES[r.analysis]}${options.length ? ` (${options.join(", ")})` : ""} of ${input.name}`;
}

function confirm(text) {
  $("copy-status").textContent = text;
}

// Puts `text` on the clipboard, with `html` beside it where the browser
// allows; false when neither could be written.
async function writeClipboard(text, html) {
  try {
    if (typeof ClipboardItem === "function" && navigator.clipboard.write) {
      await navigator.clipboard.write([
        new ClipboardItem({
          "text/plain": new Blob([text], { type: "text/plain" }),
          "text/html": new Blob([html], { type: "text/html" }),
        }),
      ]);
    } else {
      await navigator.clipboard.writeText(text);
    }
    return true;
  } catch {
    // Where the page may not write the clipboard (some browsers' file://
    // pages), the text is copied the older way, from a selection.
    const area = document.createElement("textarea");
    area.value = text;
    area.setAttribute("aria-hidden", "true");
    area.className = "offscreen";
    document.body.append(area);
    area.select();
    const copied = document.execCommand("copy");
    area.remove();
    return copied;
  }
}

// Where nothing could be copied: the text on show selected, for Ctrl+C.
function selectForCopy(box, status, what) {
  getSelection().selectAllChildren(box);
  box.focus();
  status.textContent = `${what} is selected: press Ctrl+C (Cmd+C) to copy it.`;
}

async function copyResult() {
  if (!result) return;
  // What is copied always belongs to the input and choices on show.
  if (result.key !== resultKey()) {
    confirm("The result is out of date: press Calculate first.");
    return;
  }
  const withTitles = $("copy-with-titles").checked && read.titles.some((t) => t !== "");
  const text = withTitles ? titleLine(result.text, result.analysis, result.columns, columnLabel) + result.text : result.text;
  if (await writeClipboard(text, tableHtml(result.table))) {
    confirm(`Copied: ${describe(result)}${withTitles ? ", with column titles" : ""}.`);
  } else selectForCopy($("result-text"), $("copy-status"), "The result text");
}

// ---- More statistics -------------------------------------------------------

// Empties the section; `status` says why.
function clearMore(status) {
  more = null;
  showRows($("more-table"), document.createElement("tbody"), 0, null);
  $("more-table").replaceChildren();
  $("more-text").textContent = "";
  $("more-copy-status").textContent = "";
  $("copy-more").disabled = true;
  $("more-status").textContent = status;
}

// Asks the core for the More statistics of the result on show, when the
// section is open; shows them only if they still belong to it: computed
// in the worker's state of that result, and no newer input or choice since.
async function showMore() {
  if (!result || (more && more.result === result)) return;
  if (result.analysis === SHOW_RANKS) {
    clearMore("Show Ranks has no more statistics.");
    return;
  }
  if (!$("more-details").open) {
    clearMore("Open the section below to compute them for this result.");
    return;
  }
  const asked = result;
  if (asked.key !== resultKey()) return;
  $("more-status").textContent = "Computing the more statistics...";
  const answer = await call("more");
  if (result !== asked || answer.state !== asked.state || asked.key !== resultKey()) return;
  clearMore(answer.text === "" ? "This result has no more statistics." : "");
  if (answer.text === "") return;
  more = { result: asked, text: answer.text, table: moreTable(answer.text, asked.analysis, asked.columns, columnLabel) };
  $("more-text").textContent = answer.text;
  showTable($("more-table"), more.table);
  $("more-status").textContent = `${describe(asked)}: ${plural(more.table.rows.length, "row", "rows")}.`;
  $("copy-more").disabled = false;
}

async function copyMore() {
  const status = $("more-copy-status");
  if (!more) return;
  if (more.result !== result || result.key !== resultKey()) {
    status.textContent = "The result is out of date: press Calculate first.";
    return;
  }
  if (await writeClipboard(more.text, tableHtml(more.table))) {
    status.textContent = `Copied: more statistics of ${describe(more.result)}.`;
  } else selectForCopy($("more-text"), status, "The more statistics text");
}

// ---- Plot ------------------------------------------------------------------

function fillPlotColumns() {
  const select = $("plot-column");
  select.replaceChildren();
  const first = firstResultColumn(result.analysis);
  for (let c = first; c < result.columns; c++) {
    const option = cell("option", columnLabel(c));
    option.value = String(c);
    select.append(option);
  }
  select.disabled = select.options.length === 0;
  if (!select.disabled) showPlot();
}

async function showPlot() {
  if (!result) return;
  const column = Number($("plot-column").value);
  const key = result.key;
  const data = await call("plot", column);
  // Only the plot of the result and column on show.
  if (!result || result.key !== key || Number($("plot-column").value) !== column) return;
  const drawn = drawPlot($("plot"), data, column, {
    nameOf: columnName,
    written: (row, c) => writtenRow(row)[c] ?? "",
    cell: resultCell,
    comma: result.decimalComma,
  });
  $("download-svg").disabled = !drawn;
  document.body.dataset.plotted = String(column);
}

// The result's cell of column c in the row labelled `label`, as written;
// null where there is none.
function resultCell(label, c) {
  const row = result.table.rows.find((r) => r.label === label && !r.matrix);
  const first = firstResultColumn(result.analysis);
  const field = row ? row.cells[c - first] : undefined;
  return field === undefined || field.trim() === "" ? null : field.trim();
}

function downloadSvg() {
  const text = svgText($("plot"));
  if (!text) return;
  const url = URL.createObjectURL(new Blob([text], { type: "image/svg+xml" }));
  const link = document.createElement("a");
  link.href = url;
  const name = columnLabel(Number($("plot-column").value)).replace(/[^\p{L}\p{N}._-]+/gu, "-");
  link.download = `morvenda-${name}.svg`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// ---- The dialog's choices ----------------------------------------------------

// Log-transformation y values changes only the correlations.
function updateOptions() {
  const { analysis } = choices();
  const correlation = [$("analysis-pearson").value, $("analysis-spearman").value].includes(String(analysis));
  $("log-y").disabled = !correlation;
  $("log-y-why").hidden = correlation;
}

// A result on show follows every change of choice: it is calculated again,
// so that what Copy result copies always matches the choices.
function choiceChanged() {
  updateOptions();
  if (following && read && read.worksheet) calculate();
}

// ---- Wiring ----------------------------------------------------------------

function decimalCommaByLocale() {
  const parts = new Intl.NumberFormat().formatToParts(1.5);
  return parts.some((part) => part.type === "decimal" && part.value === ",");
}

// On a touch screen there is no Ctrl+V, and a long-press offers Paste only
// in a text box: the Paste button reads the clipboard there.
const touch = window.matchMedia("(pointer: coarse)").matches;
if (touch) {
  document.querySelectorAll(".keys").forEach((element) => (element.textContent = "the Paste button"));
  $("paste-how").textContent = "Press Paste to read the copied cells.";
}

$("decimal-comma").checked = decimalCommaByLocale();
for (const id of ["decimal-comma", "first-row-titles"]) {
  $(id).addEventListener("change", () => {
    if (input) readAgain();
  });
}

// The paste area is no text box (it takes no typing, and a screen reader
// meets a labelled region, not an edit field that ignores input): a paste
// there, or anywhere on the page but in a field, goes to the reader, never
// into the page (a paste of many megabytes stays out of it). A click
// focuses it, so that Ctrl+V follows.
$("paste").addEventListener("click", () => $("paste").focus());
document.addEventListener("paste", (event) => {
  if (event.target instanceof HTMLElement && event.target.closest("input, textarea, select, [contenteditable]")) return;
  event.preventDefault();
  const data = event.clipboardData;
  const taken = takeClipboard(data ? data.getData("text/plain") : "", data ? data.getData("text/html") : "");
  readText(taken.text, "the pasted text", { fromHtml: taken.fromHtml });
});

// The Paste button reads the clipboard where the browser allows it.
$("paste-button").addEventListener("click", async () => {
  try {
    let plain = "";
    let html = "";
    if (navigator.clipboard.read) {
      for (const item of await navigator.clipboard.read()) {
        if (!plain && item.types.includes("text/plain")) plain = await (await item.getType("text/plain")).text();
        if (!html && item.types.includes("text/html")) html = await (await item.getType("text/html")).text();
      }
    } else {
      plain = await navigator.clipboard.readText();
    }
    const taken = takeClipboard(plain, html);
    readText(taken.text, "the pasted text", { fromHtml: taken.fromHtml });
  } catch {
    showMessages([{ text: "This browser did not let the page read the clipboard: click the paste area and paste there." }]);
  }
});

$("file").addEventListener("change", () => {
  const file = $("file").files[0];
  if (file) readFile(file).finally(() => ($("file").value = ""));
});

document.addEventListener("dragover", (event) => event.preventDefault());
document.addEventListener("drop", (event) => {
  event.preventDefault();
  const data = event.dataTransfer;
  if (data.files.length > 0) readFile(data.files[0]);
  else {
    const taken = takeClipboard(data.getData("text/plain"), data.getData("text/html"));
    readText(taken.text, "the dropped text", { fromHtml: taken.fromHtml });
  }
});

$("calculate").addEventListener("click", () => calculate());
$("copy").addEventListener("click", copyResult);
$("copy-more").addEventListener("click", copyMore);
$("more-details").addEventListener("toggle", showMore);
for (const id of ["log", "log-y", "extra"]) $(id).addEventListener("change", choiceChanged);
document.querySelectorAll('input[name="analysis"]').forEach((radio) => radio.addEventListener("change", choiceChanged));
$("plot-column").addEventListener("change", showPlot);
$("download-svg").addEventListener("click", downloadSvg);

// The explanation of a row label, beside it while it is hovered or focused.
function showLabelNote(event) {
  const th = event.target.closest && event.target.closest("th[data-note]");
  const note = $("label-note");
  if (!th) {
    if (event.type === "mouseover") note.hidden = true;
    return;
  }
  note.textContent = th.dataset.note;
  note.hidden = false;
  const place = th.getBoundingClientRect();
  note.style.left = `${Math.max(4, Math.min(place.left, window.innerWidth - note.offsetWidth - 4))}px`;
  note.style.top = `${place.bottom + 4}px`;
}
for (const table of [$("result-table"), $("more-table")]) {
  table.addEventListener("mouseover", showLabelNote);
  table.addEventListener("focusin", showLabelNote);
  for (const [element, type] of [
    [table, "mouseleave"],
    [table, "focusout"],
    [table.parentElement, "scroll"],
  ]) {
    element.addEventListener(type, () => ($("label-note").hidden = true));
  }
}

let resizing = 0;
window.addEventListener("resize", () => {
  clearTimeout(resizing);
  resizing = setTimeout(() => result && showPlot(), 200);
});

clearResult();
updateOptions();
