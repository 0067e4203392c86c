// The worker that runs the program, away from the page's thread: the page
// sends one call at a time ({id, call, args}) and gets {id, value} or
// {id, error} back, in the order it asked. The program keeps its input,
// worksheet and last result between calls, as the desktop program keeps
// them between clicks.
import { loadEngine } from "./engine.js";

const started = loadEngine();

// The size of the input in the program's buffer, and whether it was cut.
let last = { size: 0, cut: false };
// Counts the calls that change what the program holds (read, calculate):
// an answer that depends on it says which state it belongs to.
let state = 0;

const CALLS = {
  contract: (engine) => ({ contract: engine.contract, capacity: engine.capacity }),

  // A new input (text, or the bytes of a file) read at once; without one,
  // the last input read again (another decimal separator or title choice).
  read(engine, input, kind, decimalComma, firstRowTitles) {
    state++;
    if (input && typeof input.text === "string") {
      last = engine.putText(input.text);
      last.cut = last.cut || Boolean(input.cut);
    }
    else if (input) last = { size: engine.putBytes(new Uint8Array(input.bytes)).size, cut: input.cut };
    const read = engine.read(last.size, kind, decimalComma, last.cut, firstRowTitles);
    return { put: last, read, written: engine.writtenRows() };
  },

  calculate(engine, analysis, log, logY, extra) {
    state++;
    const run = engine.calculate(analysis, log, logY, extra);
    return { run, text: engine.resultText(), state };
  },

  // More statistics of the last result, with the state it was computed in.
  more: (engine) => ({ text: engine.moreText(), state }),

  plot: (engine, column) => engine.plot(column),
};

self.onmessage = async ({ data: { id, call, args } }) => {
  try {
    const engine = await started;
    self.postMessage({ id, value: CALLS[call](engine, ...args) });
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message ? error.message : error) });
  }
};
