// The result text as a table a person reads: row labels first, a header
// row of column titles, Show Ranks's headings on top, the extra-output
// matrices with row and column headers. Only the cells' places change:
// every cell is the result text's own.

const DESCRIPTIVE = 1003;
const SHOW_RANKS = 1009;
const CORRELATIONS = [1007, 1008];

// A long listing shows its first lines here; the result text holds them all.
const TABLE_LINES = 200;

const element = (tag, text, attributes = {}) => {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  return e;
};

const isNumberField = (field) => {
  const t = field.trim();
  return t !== "" && /^[-+<>]?\s*[0-9.,]+%?$/.test(t);
};

function lines(text) {
  const list = text.split("\n");
  if (list.length > 0 && list[list.length - 1] === "") list.pop();
  return list.map((line) => line.split("\t"));
}

function row(label, cells, labelText) {
  const tr = document.createElement("tr");
  const th = element("th", label, { scope: "row" });
  if (labelText) {
    th.title = labelText;
    th.tabIndex = 0;
  }
  tr.append(th);
  for (const field of cells) {
    const td = element("td", field.trim());
    if (isNumberField(field)) td.className = "number";
    tr.append(td);
  }
  return tr;
}

function headRow(corner, names) {
  const tr = document.createElement("tr");
  tr.append(element("th", corner, { scope: "col" }));
  for (const name of names) tr.append(element("th", name, { scope: "col" }));
  const head = document.createElement("thead");
  head.append(tr);
  return head;
}

// Groups of `width` cells in a Show Ranks line, one per heading.
function rankGroups(fields, columns) {
  return Math.max(1, Math.floor(fields / Math.max(1, columns)));
}

// The table's parts (caption, head, body) for the result text of `analysis`
// on `columns` columns; `label(c)` names column c.
export function readableTable(text, analysis, columns, label) {
  const all = lines(text);
  const shown = all.slice(0, TABLE_LINES);
  const parts = [];
  if (all.length > TABLE_LINES) {
    parts.push(element("caption", `The first ${TABLE_LINES} of ${all.length} lines (the result text holds all)`));
  }
  const body = document.createElement("tbody");
  const names = (from, to) => Array.from({ length: Math.max(0, to - from) }, (_, i) => label(from + i));
  if (analysis === DESCRIPTIVE) {
    parts.push(headRow("Statistic", names(0, columns)));
    for (const fields of shown) body.append(row(fields[fields.length - 1], fields.slice(0, -1)));
  } else if (analysis === SHOW_RANKS) {
    const headings = all[all.length - 1].filter((h) => h.trim() !== "");
    const width = Math.min(columns, 5);
    const groups = rankGroups(all[all.length - 1].length, width);
    const top = document.createElement("tr");
    top.append(element("td"));
    for (let g = 0; g < groups; g++) top.append(element("th", headings[g] || "", { colspan: String(width), scope: "colgroup" }));
    const head = headRow("Row", Array.from({ length: groups * width }, (_, i) => label(i % width)));
    head.prepend(top);
    parts.push(head);
    // Its first line is blank and its last the headings, now on top.
    shown
      .slice(1, all.length > TABLE_LINES ? shown.length : -1)
      .forEach((fields, r) => body.append(row(String(r + 1), fields)));
  } else {
    const [title] = shown.shift() || [""];
    parts.push(headRow(title, names(1, columns)));
    let matrixRow = 0;
    for (const fields of shown) {
      if (isNumberField(fields[0]) || fields[0].trim() === "") {
        // A row of the extra output's matrix: one per column.
        if (matrixRow === 0) {
          body.append(
            headRow(
              CORRELATIONS.includes(analysis) ? "Coefficients below the diagonal, pairs on and above it" : "",
              names(0, columns),
            ).firstChild,
          );
        }
        const cells = fields[fields.length - 1] === "" ? fields.slice(0, -1) : fields;
        body.append(row(label(matrixRow % Math.max(1, columns)), cells));
        matrixRow++;
      } else {
        body.append(row(fields[0], fields.slice(1)));
      }
    }
  }
  parts.push(body);
  return parts;
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
