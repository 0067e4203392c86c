// The page's side of the worker that runs the program (worker.js): the
// worker is made from its own text, carried inside the page's script, as a
// Blob, so that nothing is fetched. call(name, ...args) answers with a
// promise; the worker answers in the order it was asked. While calls are
// out, the body carries data-busy (the page's tests wait for it to go).
import WORKER_TEXT from "morvenda:worker";

export function startWorker() {
  const url = URL.createObjectURL(new Blob([WORKER_TEXT], { type: "text/javascript" }));
  const worker = new Worker(url);
  const waiting = new Map();
  let next = 0;
  const settle = () => {
    if (waiting.size > 0) document.body.dataset.busy = String(waiting.size);
    else delete document.body.dataset.busy;
  };
  worker.onmessage = ({ data }) => {
    URL.revokeObjectURL(url);
    const call = waiting.get(data.id);
    waiting.delete(data.id);
    if (data.error !== undefined) call.reject(new Error(data.error));
    else call.resolve(data.value);
    // data-busy goes once the answer has been handled, in a later task, so
    // that a call the answer leads to keeps it.
    setTimeout(settle, 0);
  };
  worker.onerror = (event) => {
    event.preventDefault();
    for (const call of waiting.values()) call.reject(new Error(event.message || "the worker stopped"));
    waiting.clear();
    settle();
  };
  return (name, ...args) =>
    new Promise((resolve, reject) => {
      const id = next++;
      waiting.set(id, { resolve, reject });
      settle();
      worker.postMessage({ id, call: name, args });
    });
}
