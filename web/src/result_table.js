// The result text as a table a person reads: row labels first, a header
// row of column titles, Show Ranks's headings on top, the extra-output
// matrices with row and column headers. Only the cells' places change:
// every cell is the result text's own.
//
// resultTable() makes the table's model (moreTable() that of the "More
// statistics" report); showTable() draws it (a long one
// through the row window, rows_view.js); tableHtml() writes it whole for
// the clipboard.
import { LABEL_NOTES, shownCell } from "./labels.js";
import { showRows } from "./rows_view.js";

// The analyses' radio button ids, as the program tells them (useAnalyses).
let DESCRIPTIVE, SHOW_RANKS, CORRELATIONS;

export function useAnalyses({ descriptive, showRanks, pearson, spearman }) {
  [DESCRIPTIVE, SHOW_RANKS, CORRELATIONS] = [descriptive, showRanks, [pearson, spearman]];
}

// The first data column with a result column of its own: 0 for the
// analyses of every column, 1 for those that compare with column 1.
export const firstResultColumn = (analysis) => (analysis === DESCRIPTIVE || analysis === SHOW_RANKS ? 0 : 1);

// What the extra output's matrix of a correlation holds, checked against
// the command line's output in the page's tests.
export const MATRIX_NOTE = "Below the diagonal: coefficients; on it: each column's number of values; above it: numbers of pairs";

const element = (tag, text, attributes = {}) => {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  return e;
};

const isNumberField = (field) => {
  const t = field.trim();
  return t !== "" && /^[-+<>]?\s*[0-9.,]+(e[-+][0-9]+)?%?$/.test(t);
};

function lines(text) {
  const list = text.split("\n");
  if (list.length > 0 && list[list.length - 1] === "") list.pop();
  return list.map((line) => line.split("\t"));
}

// Groups of `width` cells in a Show Ranks line, one per heading.
function rankGroups(fields, columns) {
  return Math.max(1, Math.floor(fields / Math.max(1, columns)));
}

// The model of the table for the result text of `analysis` on `columns`
// columns; `label(c)` names column c. `head`: rows of header cells
// ({text, span}); `rows`: {label, cells} for a row of the result, {corner,
// names} for a header row within the body.
export function resultTable(text, analysis, columns, label, groupCodes = null) {
  const all = lines(text);
  const names = (from, to) => Array.from({ length: Math.max(0, to - from) }, (_, i) => label(from + i));
  const headRow = (corner, list) => [{ text: corner }, ...list.map((name) => ({ text: name }))];
  const model = { analysis, head: [], rows: [] };
  if (analysis === DESCRIPTIVE) {
    model.head.push(headRow("Statistic", names(0, columns)));
    for (const fields of all) model.rows.push({ label: fields[fields.length - 1], cells: fields.slice(0, -1) });
  } else if (analysis === SHOW_RANKS) {
    const last = all[all.length - 1] || [];
    const headings = last.filter((h) => h.trim() !== "");
    const width = Math.min(columns, 5);
    const groups = rankGroups(last.length, width);
    model.head.push([{ text: "", blank: true }, ...Array.from({ length: groups }, (_, g) => ({ text: headings[g] || "", span: width }))]);
    model.head.push(headRow("Row", Array.from({ length: groups * width }, (_, i) => label(i % width))));
    // Its first line is blank and its last the headings, now on top.
    all.slice(1, -1).forEach((fields, r) => model.rows.push({ label: String(r + 1), cells: fields }));
  } else {
    const [title] = all.shift() || [""];
    model.head.push(headRow(title, names(1, columns)));
    let matrixRow = 0;
    for (const fields of all) {
      if (isNumberField(fields[0]) || fields[0].trim() === "") {
        // A row of the extra output's matrix: one per column.
        if (matrixRow === 0) model.rows.push({ corner: CORRELATIONS.includes(analysis) ? MATRIX_NOTE : "", names: names(0, columns) });
        const cells = fields[fields.length - 1] === "" ? fields.slice(0, -1) : fields;
        model.rows.push({ label: label(matrixRow % Math.max(1, columns)), cells, matrix: true });
        matrixRow++;
      } else {
        model.rows.push({ label: fields[0], shown: groupLabel(fields[0], groupCodes), cells: fields.slice(1) });
      }
    }
  }
  return model;
}

// Nonpaired's rows of group 0 and group 1 ("mean0", "N1", "MW R0", ...)
// name their group by its code in column 1, as the plot does.
function groupLabel(label, codes) {
  const match = codes ? /^(.*(?:mean|N|median|SD|MW R))([01])$/.exec(label) : null;
  return match ? `${label} (group ${codes[Number(match[2])]})` : label;
}

// A label with an explanation is focusable, and says it on hover and focus
// (the page's one tooltip, #label-note, which describes it).
function explained(th, label) {
  const note = LABEL_NOTES[label];
  if (!note) return th;
  th.dataset.note = note;
  th.tabIndex = 0;
  th.setAttribute("aria-describedby", "label-note");
  return th;
}

function headCell(cell, scope) {
  if (cell.blank) return element("td");
  const th = element("th", cell.text, { scope: cell.span ? "colgroup" : scope });
  if (cell.span) th.colSpan = cell.span;
  return explained(th, cell.text);
}

function bodyRow(row) {
  const tr = document.createElement("tr");
  if (row.names) {
    tr.append(headCell({ text: row.corner }, "col"), ...row.names.map((name) => headCell({ text: name }, "col")));
    return tr;
  }
  const th = element("th", row.shown ?? row.label, { scope: "row" });
  tr.append(row.matrix ? th : explained(th, row.label));
  for (const field of row.cells) {
    const td = element("td", row.matrix ? field.trim() : shownCell(row.label, field));
    if (isNumberField(field)) td.className = "number";
    tr.append(td);
  }
  return tr;
}

// The model of the table for a "More statistics" report: its title line
// in the corner over the column titles (every column for Descriptive, the
// compared ones otherwise), then one row per line, label first as written.
export function moreTable(text, analysis, columns, label) {
  const all = lines(text);
  const [title] = all.shift() || [""];
  const first = firstResultColumn(analysis);
  const names = Array.from({ length: Math.max(0, columns - first) }, (_, i) => ({ text: label(first + i) }));
  return { analysis, head: [[{ text: title }, ...names]], rows: all.map((fields) => ({ label: fields[0], cells: fields.slice(1) })) };
}

// The header rows of the model.
function tableHead(model) {
  const head = document.createElement("thead");
  for (const cells of model.head) {
    const tr = document.createElement("tr");
    tr.append(...cells.map((cell) => headCell(cell, "col")));
    head.append(tr);
  }
  return head;
}

// Draws the model into `table` (inside its scrolling box).
export function showTable(table, model) {
  const head = tableHead(model);
  const body = document.createElement("tbody");
  table.replaceChildren(head, body);
  showRows(table, body, model.rows.length, (i) => bodyRow(model.rows[i]));
}

// The whole table as HTML, for the clipboard.
export function tableHtml(model) {
  const box = document.createElement("table");
  const head = tableHead(model);
  const body = document.createElement("tbody");
  body.append(...model.rows.map(bodyRow));
  box.append(head, body);
  // The page's own explanations stay in the page.
  for (const th of box.querySelectorAll("[data-note]")) {
    for (const name of ["data-note", "tabindex", "aria-describedby"]) th.removeAttribute(name);
  }
  return box.outerHTML;
}

// One line of column titles to put above the result text, cell for cell
// over the columns its lines hold.
export function titleLine(text, analysis, columns, label) {
  const names = (from, to) => Array.from({ length: Math.max(0, to - from) }, (_, i) => label(from + i));
  if (analysis === DESCRIPTIVE) return `${names(0, columns).join("\t")}\t\n`;
  if (analysis === SHOW_RANKS) {
    const all = lines(text);
    const width = Math.min(columns, 5);
    const groups = rankGroups(all.length > 0 ? all[all.length - 1].length : 0, width);
    return `${Array.from({ length: groups * width }, (_, i) => label(i % width)).join("\t")}\n`;
  }
  return `\t${names(1, columns).join("\t")}\n`;
}
