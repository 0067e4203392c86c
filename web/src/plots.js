// The plot of one column for the analysis of the last Calculate, drawn as SVG
// by the plotting library from the numbers the core hands out (engine.plot):
// nothing here computes a statistic.
import * as Plot from "@observablehq/plot";

const REAL = 0;
const SMALL = 1;
const BIG = 2;

function points(data) {
  return data.x.map((x, i) => ({
    x,
    y: data.y[i],
    kind: data.class[i],
    row: data.row[i],
    atLimit: data.atLimit[i] === 1,
  }));
}

// Measured values as dots; "<" cells as triangles pointing down, ">" cells
// as triangles pointing up: the way their true value lies. A triangle is
// open where the cell stands at its limit (its true value lies beyond it)
// and filled where it stands at the estimate read off the normal plot (a
// cell with no limit to stand at). `wrap` lays the dots out (a dot plot
// spreads equal values side by side).
const POINT_STYLES = [
  { r: 3.5, fill: "#1f5fa8", fillOpacity: 0.75, stroke: "#0d2f55" },
  { symbol: "triangle", rotate: 180, r: 5, fill: "#c0392b", stroke: "#6b1c14" },
  { symbol: "triangle", r: 5, fill: "#d68910", stroke: "#6e4508" },
];
const open = (style) => ({ ...style, fill: "white", strokeWidth: 1.5 });

function pointMarks(list, channels, wrap = (options) => options, tip = null) {
  const title = tip ? { title: tip } : {};
  return [REAL, SMALL, BIG].flatMap((kind) => {
    const marks = [Plot.dot(list.filter((p) => p.kind === kind && !p.atLimit), wrap({ ...channels, ...POINT_STYLES[kind], ...title }))];
    if (kind !== REAL) {
      marks.push(Plot.dot(list.filter((p) => p.kind === kind && p.atLimit), wrap({ ...channels, ...open(POINT_STYLES[kind]), ...title })));
    }
    return marks;
  });
}

// Side by side without overlap (a dot plot) for up to this many values;
// beyond, laying them out so takes longer than a frame, and the dots are
// spread over a fixed width instead, see-through where they overlap.
const DODGE_MOST = 300;
const spread = (list) => list.map((p, i) => ({ ...p, spread: ((i * 7) % 15) - 7 }));

export const sentence = (text) => text.charAt(0).toUpperCase() + text.slice(1);

// The page's words for one plot: `nameOf(c)` names column c, `written(row,
// c)` is a cell as it was written, `cell(label, c)` the result's cell of
// column c in the row `label` (null where there is none), `comma` when the
// result is written with a decimal comma.
const DEFAULTS = { nameOf: (c) => `column ${c + 1}`, written: () => "", cell: () => null, comma: false };

// The numbers of one plot as the page shows them: title, axes, marks.
function layout(data, column, words) {
  const { nameOf, written, cell, comma } = words;
  const name = nameOf(column);
  const reference = nameOf(0);
  // Numbers with the result's four decimals (and its decimal separator);
  // a number the result holds is taken from it as it is written.
  const decimals = (v) => (v === null ? "not available" : comma ? v.toFixed(4).replace(".", ",") : v.toFixed(4));
  const number = (label, v) => cell(label, column) ?? decimals(v);
  // Each point's tooltip: its row and its cells as written, and for a "<"
  // or ">" cell the limit it gives and the value it is drawn at.
  const estimated = (p) =>
    p.kind === REAL
      ? ""
      : p.atLimit
        ? `, drawn at its limit ${decimals(p.y)}: its value lies ${p.kind === SMALL ? "below" : "above"}`
        : `, drawn at its estimated value ${decimals(p.y)}`;
  const own = (p) => `Row ${p.row + 1}: "${written(p.row, column)}"${estimated(p)}`;
  const pair = (p) => `Row ${p.row + 1}: ${reference} "${written(p.row, 0)}", ${name} "${written(p.row, column)}"${estimated(p)}`;
  const markerNote =
    'dots: values; triangles: "<" (down) and ">" (up) cells, open at their limit (the value lies the way they point), filled at their estimate where no limit is known';
  switch (data.kind) {
    case "normal": {
      const list = points(data);
      const line = data.line ? data.line.x.map((x, i) => ({ x, y: data.line.y[i] })) : [];
      return {
        title: `Normal probability plot of ${name}${data.log ? " (log scale)" : ""}`,
        note: `${markerNote}; line: the fit from which they are estimated`,
        x: { label: "Normal score" },
        y: { label: "Value", type: data.log ? "log" : "linear" },
        marks: [
          Plot.line(line, { x: "x", y: "y", stroke: "#777", strokeWidth: 1.5 }),
          ...pointMarks(list, { x: "x", y: "y" }, undefined, own),
        ],
      };
    }
    case "paired": {
      const list = points(data);
      const mean = data.mean !== null ? Plot.ruleY([data.mean], { stroke: "#c0392b", strokeWidth: 2 }) : null;
      const limits = data.lower !== null ? [data.lower, data.upper] : [];
      const interval = Plot.ruleY(limits, { stroke: "#c0392b", strokeDasharray: "5 4" });
      const what = data.log ? "ratio" : "difference";
      return {
        title: `${data.log ? "Ratio" : "Difference"} of ${name} to ${reference}, row by row`,
        note:
          `solid line: mean ${what} ${number(data.log ? "mean ratio" : "mean difference", data.mean)}; ` +
          `dashed: 95% interval ${number("95% CI lower limit", data.lower)} to ${number("95% CI upper limit", data.upper)}`,
        x: { label: "Row" },
        y: { label: data.log ? "Ratio" : "Difference", type: data.log ? "log" : "linear" },
        marks: [
          Plot.ruleY([data.log ? 1 : 0], { stroke: "#bbb" }),
          mean,
          interval,
          ...pointMarks(list, { x: "x", y: "y" }, undefined, (p) => `${pair(p)}; ${what} ${decimals(p.y)}`),
        ],
      };
    }
    case "groups": {
      const group = (g) => `Group ${data.codes[g]}`;
      const list = points(data).map((p) => ({ ...p, group: group(p.x) }));
      const stats = [0, 1].map((g) => ({ group: group(g), mean: data.mean[g], median: data.median[g] }));
      return {
        title: `${name} by group${data.log ? " (log scale)" : ""}`,
        note: `solid line: mean${data.log ? " (geometric)" : ""}; dashed: median; ${markerNote}`,
        fx: { label: null, domain: [group(0), group(1)] },
        x: { axis: null, domain: [-9, 9] },
        y: { label: "Value", type: data.log ? "log" : "linear" },
        marks: [
          Plot.tickY(
            stats.filter((s) => s.mean !== null),
            { fx: "group", y: "mean", stroke: "#c0392b", strokeWidth: 2 },
          ),
          Plot.tickY(
            stats.filter((s) => s.median !== null),
            { fx: "group", y: "median", stroke: "#555", strokeDasharray: "5 4", strokeWidth: 2 },
          ),
          ...(list.length <= DODGE_MOST
            ? pointMarks(list, { fx: "group", y: "y" }, (options) => Plot.dodgeX("middle", options), own)
            : pointMarks(spread(list), { fx: "group", x: "spread", y: "y" }, (options) => ({ ...options, fillOpacity: 0.4 }), own)),
        ],
      };
    }
    case "pearson":
    case "spearman": {
      const ranks = data.kind === "spearman";
      const coefficient = ranks ? "Spearman Rho" : "Pearson R";
      return {
        title: `${coefficient} = ${data.coefficient}, ${name} against ${reference}`,
        note: ranks
          ? "points: ranks of the pairs"
          : 'points: the pairs; triangles: pairs with a "<" (down) or ">" (up) cell, open at its limit, filled at its estimate where no limit is known',
        x: { label: ranks ? `Rank in ${reference}` : reference, type: data.logX ? "log" : "linear" },
        y: { label: ranks ? `Rank in ${name}` : name, type: data.logY ? "log" : "linear" },
        marks: pointMarks(points(data), { x: "x", y: "y" }, undefined, pair),
      };
    }
    default:
      return null;
  }
}

// Plain numbers on a log axis too (not "990m").
const axis = (options) =>
  options.type === "log" ? { ...options, tickFormat: (v) => String(Number(v.toPrecision(6))) } : options;

// Draws the plot into `container`: its title, the svg and a note on what the
// marks mean. False when the analysis has no plot for the column. `words`:
// see DEFAULTS.
export function drawPlot(container, data, column, words = {}) {
  const view = layout(data, column, { ...DEFAULTS, ...words });
  container.replaceChildren();
  if (!view) return false;
  const width = Math.max(300, Math.min(900, container.clientWidth || 640));
  const svg = Plot.plot({
    width,
    height: Math.round(Math.min(440, Math.max(300, width * 0.6))),
    marginLeft: 60,
    grid: true,
    ariaLabel: view.title,
    ariaDescription: view.note,
    style: { fontSize: "12px", background: "white", color: "#222" },
    inset: 10,
    fx: view.fx,
    x: axis(view.x),
    y: axis(view.y),
    marks: [Plot.frame({ stroke: "#ccc" }), ...view.marks.filter(Boolean)],
  });
  const title = document.createElement("p");
  title.className = "plot-title";
  title.textContent = view.title;
  const note = document.createElement("p");
  note.className = "plot-note";
  note.textContent = view.note;
  // One image with its name and what it shows, for a screen reader; the
  // title and note beside it say the same to the eye.
  const figure = document.createElement("div");
  figure.setAttribute("role", "img");
  figure.setAttribute("aria-label", `${view.title}. ${sentence(view.note)}.`);
  figure.className = "figure";
  svg.setAttribute("aria-hidden", "true");
  figure.append(svg);
  title.setAttribute("aria-hidden", "true");
  note.setAttribute("aria-hidden", "true");
  container.append(title, figure, note);
  return true;
}

// The current plot as a stand-alone SVG file's text, its title on top.
export function svgText(container) {
  const plot = container.querySelector("svg");
  if (!plot) return null;
  const NS = "http://www.w3.org/2000/svg";
  const width = Number(plot.getAttribute("width"));
  const height = Number(plot.getAttribute("height"));
  const TITLE_HEIGHT = 28;
  const LEGEND_HEIGHT = 28;
  const file = document.createElementNS(NS, "svg");
  file.setAttribute("xmlns", NS);
  file.setAttribute("width", width);
  // Room for the title above the plot and the legend below it.
  const fileHeight = height + TITLE_HEIGHT + LEGEND_HEIGHT;
  file.setAttribute("height", fileHeight);
  file.setAttribute("viewBox", `0 0 ${width} ${fileHeight}`);
  const background = document.createElementNS(NS, "rect");
  background.setAttribute("width", "100%");
  background.setAttribute("height", "100%");
  background.setAttribute("fill", "white");
  const title = document.createElementNS(NS, "text");
  title.setAttribute("x", 8);
  title.setAttribute("y", 19);
  title.setAttribute("font-family", "system-ui, sans-serif");
  title.setAttribute("font-size", 14);
  title.setAttribute("font-weight", "bold");
  title.textContent = plot.getAttribute("aria-label");
  const copy = plot.cloneNode(true);
  copy.removeAttribute("aria-hidden");
  copy.setAttribute("y", TITLE_HEIGHT);
  // The legend goes with the file: what the lines and marks mean.
  const legend = document.createElementNS(NS, "text");
  legend.setAttribute("x", 8);
  legend.setAttribute("y", height + TITLE_HEIGHT + 18);
  legend.setAttribute("font-family", "system-ui, sans-serif");
  legend.setAttribute("font-size", 12);
  legend.textContent = sentence(plot.getAttribute("aria-description") || "");
  file.append(background, title, copy, legend);
  return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(file);
}
