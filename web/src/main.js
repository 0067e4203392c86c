// The page: paste area, file button and drop, the decimal comma, the dialog's
// choices, Calculate, the result as text and as a table, Copy result, and
// the plot. Reading and every statistic are the core's (engine.js).
import { loadEngine } from "./engine.js";
import { drawPlot, svgText } from "./plots.js";

const $ = (id) => document.getElementById(id);

// What the program says of itself (engine.js, contract): set once it runs.
let MAX_ROWS, MAX_COLUMNS, DESCRIPTIVE, SHOW_RANKS, TEXT, CSV, WK1, PASTE;

let engine = null;
let input = null; // the last input: {size, kind, cut, total, name}, read again when the decimal comma changes
let result = null; // the last result: {text, analysis, columns, successMessage, successCaption}

const ready = loadEngine().then(
  (loaded) => {
    engine = loaded;
    const c = loaded.contract;
    ({ maxRows: MAX_ROWS, maxColumns: MAX_COLUMNS, descriptive: DESCRIPTIVE, showRanks: SHOW_RANKS } = c);
    ({ text: TEXT, csv: CSV, wk1: WK1, paste: PASTE } = c.inputKinds);
    // For the page's tests, which hold the page's controls against it.
    window.morvendaContract = c;
    document.body.dataset.ready = "true";
  },
  (error) => showMessages([{ text: `The program could not be started in this browser: ${error}` }]),
);

// ---- Messages ----------------------------------------------------------

// Messages of the program carry their caption; the page's own notes none.
function showMessages(list) {
  const box = $("messages");
  box.replaceChildren();
  for (const message of list) {
    const line = document.createElement("p");
    line.className = message.caption ? "message" : "message note";
    if (message.caption) {
      const caption = document.createElement("span");
      caption.className = "caption";
      caption.textContent = `${message.caption}: `;
      line.append(caption);
    }
    line.append(message.text.replace(/[\r\n]+$/, ""));
    box.append(line);
  }
}

const sentence = (text) => text.charAt(0).toUpperCase() + text.slice(1);
const megabytes = (bytes) => `${(bytes / (1024 * 1024)).toFixed(1)} MB`;
const plural = (n, one, many) => `${n} ${n === 1 ? one : many}`;

// What the page adds to the reader's messages about an input.
function readNotes(read) {
  const notes = [];
  const name = sentence(input.name);
  if (read.notText) notes.push(`${name} is neither a WK1 worksheet nor text, so it was not read.`);
  if (input.cut) {
    notes.push(`${name} holds ${megabytes(input.total)}; only its first ${megabytes(engine.capacity)} were read.`);
  }
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
  return notes.map((text) => ({ text }));
}

// ---- Reading -------------------------------------------------------------

function showRead(read) {
  const summary = $("read-summary");
  const table = $("preview");
  table.replaceChildren();
  if (!read.worksheet) {
    summary.textContent = "No worksheet was read.";
    return;
  }
  summary.textContent =
    `${plural(Math.max(0, read.rows), "row", "rows")} and ${plural(Math.max(0, read.columns), "column", "columns")} ` +
    `read from ${input.name}: ${plural(read.numbers, "number", "numbers")}, ` +
    `${plural(read.small, '"<" cell', '"<" cells')}, ${plural(read.big, '">" cell', '">" cells')}, ` +
    `${plural(read.missing, "missing cell", "missing cells")}.`;
  if (read.preview.length === 0) return;
  const caption = document.createElement("caption");
  caption.textContent = `The first ${plural(read.preview.length, "row", "rows")} as read (text cells are missing)`;
  const head = document.createElement("tr");
  head.append(document.createElement("th"));
  for (let c = 0; c < read.columns; c++) head.append(cell("th", `${c + 1}`));
  table.append(caption, head);
  read.preview.forEach((row, r) => {
    const line = document.createElement("tr");
    line.append(cell("th", `${r + 1}`));
    for (const v of row) {
      const td = cell("td", v === null ? "" : String(v));
      if (v === null) td.className = "missing";
      line.append(td);
    }
    table.append(line);
  });
}

function cell(tag, text) {
  const element = document.createElement(tag);
  element.textContent = text;
  return element;
}

function readAgain() {
  const read = engine.read(input.size, input.kind, $("decimal-comma").checked, input.cut);
  clearResult();
  showRead(read);
  showMessages([...readNotes(read), ...read.messages]);
}

async function readText(text, name) {
  await ready;
  if (!engine) return;
  const put = engine.putText(text);
  input = { size: put.size, kind: PASTE, cut: put.cut, total: text.length, name };
  readAgain();
}

async function readFile(file) {
  await ready;
  if (!engine) return;
  const bytes = new Uint8Array(await file.slice(0, engine.capacity).arrayBuffer());
  const put = engine.putBytes(bytes);
  const lower = file.name.toLowerCase();
  const kind = lower.endsWith(".wk1") ? WK1 : lower.endsWith(".csv") ? CSV : TEXT;
  input = { size: put.size, kind, cut: file.size > engine.capacity, total: file.size, name: `"${file.name}"` };
  readAgain();
}

// ---- Calculate and the result ------------------------------------------

function clearResult() {
  result = null;
  $("result-text").value = "";
  $("result-table").replaceChildren();
  $("result-status").textContent = "";
  $("copy").disabled = true;
  $("plot-column").replaceChildren();
  $("plot-column").disabled = true;
  $("download-svg").disabled = true;
  $("plot").replaceChildren();
}

// The result text as a table: a row per line, a cell per tab-separated
// field, so the labels stand where the text has them. A long listing shows
// its first lines here; the result text holds them all.
const TABLE_LINES = 200;

function showResultTable(text) {
  const table = $("result-table");
  table.replaceChildren();
  const lines = text.split("\n");
  if (lines.length > 0 && lines[lines.length - 1] === "") lines.pop();
  if (lines.length > TABLE_LINES) {
    const caption = cell("caption", `The first ${TABLE_LINES} of ${lines.length} lines (the result text holds all)`);
    table.append(caption);
  }
  const body = document.createElement("tbody");
  for (const line of lines.slice(0, TABLE_LINES)) {
    const row = document.createElement("tr");
    for (const field of line.split("\t")) {
      const td = cell("td", field.trim());
      if (field.trim() !== "" && !Number.isNaN(Number(field))) td.className = "number";
      row.append(td);
    }
    body.append(row);
  }
  table.append(body);
}

async function calculate() {
  const started = performance.now();
  await ready;
  if (!engine) return;
  const analysis = Number(document.querySelector('input[name="analysis"]:checked').value);
  const run = engine.calculate(analysis, $("log").checked, $("log-y").checked, $("extra").checked);
  clearResult();
  const text = engine.resultText();
  $("result-text").value = text;
  showResultTable(text);
  showMessages(run.messages);
  if (text.length > 0) {
    result = {
      text,
      analysis,
      columns: run.columns,
      successMessage: run.successMessage,
      successCaption: run.successCaption,
    };
    const lines = text.split("\n").length - (text.endsWith("\n") ? 1 : 0);
    $("result-status").textContent = `${plural(lines, "line", "lines")} of results. Copy result puts them on the clipboard.`;
    $("copy").disabled = false;
    fillPlotColumns();
  } else {
    $("result-status").textContent = "No result.";
  }
  // Calculate to result shown: the page's own figure, read by the benchmark.
  requestAnimationFrame(() => {
    document.body.dataset.calculateMs = (performance.now() - started).toFixed(1);
  });
}

async function copyResult() {
  if (!result) return;
  const done = () => showMessages([{ caption: result.successCaption, text: result.successMessage }]);
  try {
    await navigator.clipboard.writeText(result.text);
    done();
  } catch {
    // Where the page may not write the clipboard (some browsers' file://
    // pages), the selected text is copied the older way.
    const area = $("result-text");
    area.focus();
    area.select();
    if (document.execCommand("copy")) done();
    else showMessages([{ text: "The result text is selected: press Ctrl+C (Cmd+C) to copy it." }]);
  }
}

// ---- Plot ------------------------------------------------------------------

function fillPlotColumns() {
  const select = $("plot-column");
  select.replaceChildren();
  const first = result.analysis === DESCRIPTIVE || result.analysis === SHOW_RANKS ? 0 : 1;
  for (let c = first; c < result.columns; c++) {
    const option = cell("option", `Column ${c + 1}`);
    option.value = String(c);
    select.append(option);
  }
  select.disabled = select.options.length === 0;
  if (!select.disabled) showPlot();
}

function showPlot() {
  if (!result) return;
  const column = Number($("plot-column").value);
  const drawn = drawPlot($("plot"), engine.plot(column), column);
  $("download-svg").disabled = !drawn;
}

function downloadSvg() {
  const text = svgText($("plot"));
  if (!text) return;
  const url = URL.createObjectURL(new Blob([text], { type: "image/svg+xml" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = `morvenda-column-${Number($("plot-column").value) + 1}.svg`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// ---- Wiring ----------------------------------------------------------------

function decimalCommaByLocale() {
  const parts = new Intl.NumberFormat().formatToParts(1.5);
  return parts.some((part) => part.type === "decimal" && part.value === ",");
}

$("decimal-comma").checked = decimalCommaByLocale();
$("decimal-comma").addEventListener("change", () => {
  if (input) readAgain();
});

// The paste area takes a paste and nothing else: the text goes to the
// reader, never into the page (a paste of many megabytes stays out of it).
$("paste").addEventListener("paste", (event) => {
  event.preventDefault();
  const data = event.clipboardData;
  readText(data ? data.getData("text/plain") : "", "the pasted text");
});
$("paste").addEventListener("beforeinput", (event) => event.preventDefault());

$("file").addEventListener("change", () => {
  const file = $("file").files[0];
  if (file) readFile(file).finally(() => ($("file").value = ""));
});

document.addEventListener("dragover", (event) => event.preventDefault());
document.addEventListener("drop", (event) => {
  event.preventDefault();
  const data = event.dataTransfer;
  if (data.files.length > 0) readFile(data.files[0]);
  else if (data.types.includes("text/plain")) readText(data.getData("text/plain"), "the dropped text");
});

$("calculate").addEventListener("click", calculate);
$("copy").addEventListener("click", copyResult);
$("plot-column").addEventListener("change", showPlot);
$("download-svg").addEventListener("click", downloadSvg);

let resizing = 0;
window.addEventListener("resize", () => {
  clearTimeout(resizing);
  resizing = setTimeout(() => result && showPlot(), 200);
});

clearResult();
