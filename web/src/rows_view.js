// A row window: a long table body draws only the rows in view of its
// scrolling box (and a few around them), with spacer rows standing for the
// rest, so that a 1024-row table costs what a 40-row one does. Short
// tables are drawn whole. The rows carry aria-rowindex, the table
// aria-rowcount, so that a screen reader still knows where it is.

// Tables of up to this many cells are drawn whole.
const WHOLE = 600;
// Rows drawn beyond the visible ones, above and below.
const AROUND = 4;
// A row's height before one has been measured (px): the style's.
const GUESS = 25;

const windows = new WeakMap();

function spacer(height, columns) {
  const tr = document.createElement("tr");
  tr.className = "spacer";
  tr.setAttribute("aria-hidden", "true");
  const td = document.createElement("td");
  td.colSpan = Math.max(1, columns);
  td.style.height = `${height}px`;
  tr.append(td);
  return tr;
}

function draw(state, force = false) {
  const { box, body, count, makeRow, headRows } = state;
  const top = Math.max(0, box.scrollTop - state.headHeight);
  const seen = box.clientHeight || 600;
  const first = Math.max(0, Math.floor(top / state.rowHeight) - AROUND);
  const last = Math.min(count, Math.ceil((top + seen) / state.rowHeight) + AROUND);
  if (!force && first === state.first && last === state.last) return;
  state.first = first;
  state.last = last;
  const rows = [];
  for (let i = first; i < last; i++) {
    const tr = makeRow(i);
    tr.setAttribute("aria-rowindex", String(headRows + i + 1));
    rows.push(tr);
  }
  const columns = state.columns;
  body.replaceChildren(
    ...(first > 0 ? [spacer(first * state.rowHeight, columns)] : []),
    ...rows,
    ...(last < count ? [spacer((count - last) * state.rowHeight, columns)] : []),
  );
}

// Fills `body` (of `table`) with `count` rows made by `makeRow(i)`.
export function showRows(table, body, count, makeRow) {
  const old = windows.get(table);
  if (old) old.box.removeEventListener("scroll", old.onScroll);
  windows.delete(table);
  table.removeAttribute("aria-rowcount");
  const columns = table.tHead && table.tHead.rows.length ? [...table.tHead.rows].at(-1).cells.length : 1;
  if (count * columns <= WHOLE) {
    for (let i = 0; i < count; i++) body.append(makeRow(i));
    return;
  }
  const box = table.closest(".scroll") || table.parentElement;
  const headRows = table.tHead ? table.tHead.rows.length : 0;
  table.setAttribute("aria-rowcount", String(headRows + count));
  const state = { box, body, count, makeRow, headRows, rowHeight: GUESS, headHeight: 0, first: -1, last: -1 };
  state.columns = columns;
  draw(state);
  // The real heights, once laid out; drawn again if the guess was off.
  const sample = body.querySelector("tr:not(.spacer)");
  const measured = sample ? sample.getBoundingClientRect().height : 0;
  // What lies above the body in the box: caption and header rows.
  state.headHeight = Math.max(0, body.getBoundingClientRect().top - box.getBoundingClientRect().top + box.scrollTop);
  if (measured > 0 && Math.abs(measured - state.rowHeight) > 0.5) {
    state.rowHeight = measured;
    draw(state, true);
  }
  let queued = false;
  state.onScroll = () => {
    if (queued) return;
    queued = true;
    requestAnimationFrame(() => {
      queued = false;
      draw(state);
    });
  };
  box.addEventListener("scroll", state.onScroll, { passive: true });
  windows.set(table, state);
}
