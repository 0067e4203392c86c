// The program compiled to WebAssembly, behind a few calls: what the page
// must agree on with it, read a worksheet (with its titles and its cells as
// written), calculate, the result text, the plot numbers. Everything it
// answers comes from the C++ core (web/engine/web_api.cpp); nothing is
// computed here. It runs in the worker (worker.js).
import createMorvenda from "morvenda:module";
import wasmBinary from "morvenda:wasm";

export async function loadEngine() {
  // The WebAssembly comes with the page: nothing is located or fetched.
  const m = await createMorvenda({ wasmBinary, locateFile: (name) => name });
  const capacity = m._morvenda_input_capacity();
  const json = (pointer) => JSON.parse(m.UTF8ToString(pointer));
  const latin1 = (start, length) => {
    const bytes = m.HEAPU8.subarray(start, start + length);
    let text = "";
    for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode(...bytes.subarray(i, i + 8192));
    return text;
  };
  const input = () => m.HEAPU8.subarray(m._morvenda_input_buffer(), m._morvenda_input_buffer() + capacity);

  return {
    capacity,
    // The version, the table's capacity, the input kinds ("text", "csv",
    // "wk1", "paste", "pasteCsv") and the dialog's controls, from the
    // program itself.
    contract: json(m._morvenda_contract()),

    // Text as UTF-8 into the input buffer; `cut` when it did not all fit.
    putText(text) {
      const head = text.length > capacity ? text.slice(0, capacity) : text;
      const { read, written } = new TextEncoder().encodeInto(head, input());
      return { size: written, cut: read < text.length };
    },

    // The first bytes of a file (at most the capacity).
    putBytes(bytes) {
      const size = Math.min(bytes.length, capacity);
      input().set(bytes.subarray(0, size));
      return { size, cut: bytes.length > capacity };
    },

    read(size, kind, decimalComma, cut, firstRowTitles) {
      return json(m._morvenda_read(size, kind, decimalComma ? 1 : 0, cut ? 1 : 0, firstRowTitles ? 1 : 0));
    },

    calculate(radioId, logTransformation, logY, extraOutput) {
      return json(m._morvenda_calculate(radioId, logTransformation ? 1 : 0, logY ? 1 : 0, extraOutput ? 1 : 0));
    },

    // The result's bytes as a string, one character per byte.
    resultText() {
      return latin1(m._morvenda_result_text(), m._morvenda_result_length());
    },

    // The "More statistics" report of the last result, as the core writes
    // it ("" for Show Ranks or a refusal); computed on this call.
    moreText() {
      const start = m._morvenda_more();
      return latin1(start, m._morvenda_more_length());
    },

    // The cells of the last input as written, every row the table holds:
    // rows end with "\n", cells are separated by "\t".
    writtenRows() {
      const start = m._morvenda_written_rows();
      return new TextDecoder().decode(m.HEAPU8.subarray(start, start + m._morvenda_written_length()));
    },

    plot(column) {
      return json(m._morvenda_plot(column));
    },
  };
}
