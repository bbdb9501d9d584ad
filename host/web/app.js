// The editor's page: it shows what the server's user-interface model holds
// and sends the user's acts to it. All state lives in the server; the page
// asks for it after every act and every second.
"use strict";

const token = new URLSearchParams(location.search).get("token") || "";
const $ = (id) => document.getElementById(id);
const seen = { events: 0, picture: "", windows: new Map(), asked: 0, shown: 0 };
let acting = Promise.resolve(); // acts are sent one after the other, in order
let pending = 0; // acts sent and not yet answered

// ---- talking to the server --------------------------------------------------------
async function request(path, options = {}) {
  const reply = await fetch(path, { ...options, headers: { "X-Token": token, "Content-Type": "application/json" } });
  const body = await reply.json();
  if (body.error) throw new Error(body.error);
  return body;
}

function act(fields) {
  $("busy").hidden = ++pending === 0;
  acting = acting
    .then(() => request("api/act", { method: "POST", body: JSON.stringify(fields) }))
    .then(() => showError(""), (e) => showError(e.message))
    .then(refresh)
    .finally(() => { $("busy").hidden = --pending === 0; });
  return acting;
}

function showError(text) {
  $("error").textContent = text;
  $("error").hidden = !text;
}

async function refresh() {
  const asked = ++seen.asked;
  try {
    const state = await request(`api/state?events=${seen.events}&picture=${seen.picture}`);
    if (asked < seen.shown) return; // a later state is on the page already
    seen.shown = asked;
    render(state);
  } catch (e) {
    showError(e.message);
  }
}

// ---- drawing the state -------------------------------------------------------------
function element(tag, props = {}, children = []) {
  const e = Object.assign(document.createElement(tag), props);
  e.append(...children);
  return e;
}

function render(state) {
  $("model-path").textContent = state.model;
  if (state.picture !== undefined) {
    $("picture").innerHTML = state.picture;
    seen.picture = state.picture_hash;
  }
  renderMenu(state.menu);
  renderEvents(state.events, state.event_count);
  renderWindows(state.windows);
  renderPopup(state.popup);
}

function renderMenu(items) {
  const key = JSON.stringify(items);
  if ($("menu").dataset.key === key) return;
  $("menu").dataset.key = key;
  $("menu").replaceChildren(...items.map((item) =>
    element("button", { type: "button", textContent: item, onclick: () => act({ act: "menu", item }) })));
}

// Two refreshes can cross: only the events past those shown are new.
function renderEvents(events, count) {
  const fresh = events.slice(Math.max(0, seen.events - (count - events.length)));
  seen.events = Math.max(seen.events, count);
  for (const line of fresh) {
    if (line.startsWith("progress")) { renderProgress(line); continue; }
    const kind = line.split(":")[0];
    $("messages").prepend(element("li", { className: kind, textContent: line }));
  }
}

function renderProgress(line) {
  const bar = $("progress-bar");
  const start = line.match(/^progress start: (.*) \((\d+)\)$/);
  if (start) {
    $("progress").hidden = false;
    $("progress-text").textContent = start[1];
    bar.max = Number(start[2]) || 1;
    bar.value = 0;
  } else if (line.startsWith("progress advance: ")) {
    bar.value += Number(line.slice(18));
  } else {
    $("progress").hidden = true;
  }
}

// A window is drawn again only when the server's view of it changed, so
// that typing in a field is not disturbed by the refreshes.
function renderWindows(windows) {
  const modal = windows.filter((w) => w.kind !== "dialog").pop();
  const live = new Set();
  for (const w of windows.filter((w) => w.kind === "dialog" && w.visible)) {
    live.add(w.id);
    const key = JSON.stringify(w);
    const old = seen.windows.get(w.id);
    if (old && old.key === key) continue;
    const node = dialogElement(w);
    if (old) old.node.replaceWith(node); else $("desk").append(node);
    seen.windows.set(w.id, { key, node });
  }
  for (const [id, old] of seen.windows) {
    if (!live.has(id)) { old.node.remove(); seen.windows.delete(id); }
  }
  renderModal(modal);
}

function place(node, b) {
  Object.assign(node.style, { left: `${b.x}px`, top: `${b.y}px`, width: `${b.width}px`, height: `${b.height}px` });
}

function dialogElement(w) {
  const close = element("button", { type: "button", title: "Close", textContent: "×",
    onclick: () => act({ act: "close", dialog: w.id }) });
  const title = element("div", { className: "title" }, [element("span", { textContent: w.title }), close]);
  const body = element("div", { className: "body" }, w.controls.map((c) => controlElement(w, c)));
  const node = element("section", { className: "dialog" }, [title, body]);
  Object.assign(node.dataset, { name: w.name, id: w.id });
  place(node, w.bounds);
  dragToMove(title, node, w);
  return node;
}

function dragToMove(handle, node, w) {
  handle.addEventListener("mousedown", (down) => {
    if (down.target.tagName === "BUTTON") return;
    const dx = down.clientX - w.bounds.x, dy = down.clientY - w.bounds.y;
    const follow = (e) => { node.style.left = `${e.clientX - dx}px`; node.style.top = `${e.clientY - dy}px`; };
    const drop = (e) => {
      removeEventListener("mousemove", follow);
      removeEventListener("mouseup", drop);
      act({ act: "move", dialog: w.id, x: Math.round(e.clientX - dx), y: Math.round(e.clientY - dy) });
    };
    addEventListener("mousemove", follow);
    addEventListener("mouseup", drop);
  });
}

function controlElement(w, c) {
  const on = { dialog: w.id, control: c.name };
  const label = () => element("label", { textContent: c.label });
  let parts;
  switch (c.kind) {
    case "edit": {
      const input = element("input", { type: "text", value: c.text });
      input.onchange = () => act({ act: "type", ...on, text: input.value });
      parts = c.label ? [label(), input] : [input];
      break;
    }
    case "toggle": {
      const box = element("input", { type: "checkbox", checked: c.value !== 0 });
      box.onchange = () => act({ act: "toggle", ...on, on: box.checked });
      parts = [element("label", {}, [box, " ", c.label])];
      break;
    }
    case "popup": {
      const select = element("select", {}, c.entries.map((e, i) => element("option", { textContent: e, selected: i === c.value })));
      select.onchange = () => act({ act: "pick", ...on, entry: select.value });
      parts = c.label ? [label(), select] : [select];
      break;
    }
    case "button":
      parts = [element("button", { type: "button", textContent: c.label, onclick: () => act({ act: "press", ...on }) })];
      break;
    case "table":
      parts = [tableElement(c.table)];
      break;
    default:
      parts = [element("span", { textContent: c.text || c.label })];
  }
  const node = element("div", { className: `control ${c.kind}` }, parts);
  node.dataset.name = c.name;
  place(node, c.at);
  return node;
}

function tableElement(t) {
  const cells = (tag, values) => values.map((v) => element(tag, { textContent: v }));
  const rows = t.rows.map((r, i) => {
    const row = element("tr", {}, cells("td", r));
    if (t.backgrounds[i]) { row.style.background = t.backgrounds[i]; row.className = "highlighted"; }
    return row;
  });
  return element("table", {}, [element("thead", {}, [element("tr", {}, cells("th", t.header))]), element("tbody", {}, rows)]);
}

// ---- prompts and choosers: modal ----------------------------------------------------
function renderModal(w) {
  const key = w ? JSON.stringify(w) : "";
  if ($("modal").dataset.key === key) return;
  $("modal").dataset.key = key;
  $("modal").hidden = !w;
  if (!w) return $("modal").replaceChildren();
  $("modal").replaceChildren(w.kind === "prompt" ? promptElement(w) : chooserElement(w));
}

function promptElement(w) {
  const buttons = w.buttons.map((b) =>
    element("button", { type: "button", textContent: b, onclick: () => act({ act: "answer", dialog: w.id, button: b }) }));
  return element("div", { className: "window prompt" }, [
    element("h2", { textContent: w.title }),
    ...w.lines.map((l) => element("p", { textContent: l })),
    element("div", { className: "buttons" }, buttons)]);
}

function chooserElement(w) {
  const path = element("input", { type: "text", className: "path" });
  const list = element("ul", { className: "files" });
  const where = element("p", { className: "where" });
  const open = async (dir) => {
    try {
      const listing = await request(`api/files?dir=${encodeURIComponent(dir)}`);
      where.textContent = listing.dir;
      const up = listing.parent ? [{ name: "..", directory: true, to: listing.parent }] : [];
      const roots = listing.roots.filter((r) => r !== listing.dir).map((r) => ({ name: r, directory: true, to: r }));
      const entries = listing.entries.map((e) => ({ ...e, to: `${listing.dir}/${e.name}` }));
      list.replaceChildren(...[...up, ...roots, ...entries].map((e) => element("li", {
        className: e.directory ? "directory" : "file", textContent: e.name,
        onclick: () => { path.value = e.to; if (e.directory) open(e.to); } })));
      if (!path.value || w.save) path.value = w.save ? `${listing.dir}/${path.value.split("/").pop() || ""}` : listing.dir;
      showError("");
    } catch (e) {
      showError(e.message);
      if (dir !== "") open("");
    }
  };
  open(w.start_dir);
  const what = `${w.save ? "Save" : "Open"} ${w.directory ? "a directory" : "a file"} ${w.file_types.join(" ")}`;
  return element("div", { className: "window chooser" }, [
    element("h2", { textContent: w.title }), element("p", { textContent: what }), where, list, path,
    element("div", { className: "buttons" }, [
      element("button", { type: "button", textContent: "Cancel", onclick: () => act({ act: "cancel", dialog: w.id }) }),
      element("button", { type: "button", className: "choose", textContent: "Choose",
        onclick: () => act({ act: "choose", dialog: w.id, path: path.value }) })])]);
}

// ---- the popup menu of an object ------------------------------------------------------
let popupAt = { x: 0, y: 0 };

function renderPopup(entries) {
  const popup = $("popup");
  const key = entries ? JSON.stringify(entries) : "";
  popup.hidden = !entries;
  Object.assign(popup.style, { left: `${popupAt.x}px`, top: `${popupAt.y}px` });
  if (popup.dataset.key === key) return;
  popup.dataset.key = key;
  popup.replaceChildren(...(entries || []).map((entry) =>
    element("li", { textContent: entry, onclick: () => act({ act: "popup", entry }) })));
}

// ---- the picture: pan, zoom and clicks on objects ---------------------------------------
const view = { x: 0, y: 0, scale: 1 };

function applyView() {
  $("picture").style.transform = `translate(${view.x}px, ${view.y}px) scale(${view.scale})`;
}

function objectAt(target) {
  const part = target.closest && target.closest("[data-object]");
  return part ? part.dataset.object : null;
}

function setUpCanvas() {
  const canvas = $("canvas");
  let drag = null;
  canvas.addEventListener("mousedown", (e) => {
    if (!$("popup").hidden) act({ act: "dismiss" });
    if (e.button !== 0) return;
    drag = { x: e.clientX, y: e.clientY, vx: view.x, vy: view.y, moved: false };
  });
  addEventListener("mousemove", (e) => {
    if (!drag) return;
    drag.moved ||= Math.abs(e.clientX - drag.x) + Math.abs(e.clientY - drag.y) > 4;
    if (!drag.moved) return;
    canvas.classList.add("panning");
    view.x = drag.vx + e.clientX - drag.x;
    view.y = drag.vy + e.clientY - drag.y;
    applyView();
  });
  addEventListener("mouseup", (e) => {
    if (!drag) return;
    const clicked = !drag.moved;
    drag = null;
    canvas.classList.remove("panning");
    const object = clicked && objectAt(e.target);
    if (object) act({ act: "click", object, button: "left" });
  });
  canvas.addEventListener("contextmenu", (e) => {
    const object = objectAt(e.target);
    if (!object) return;
    e.preventDefault();
    popupAt = { x: e.clientX, y: e.clientY };
    act({ act: "click", object, button: "right" });
  });
  canvas.addEventListener("wheel", (e) => {
    e.preventDefault();
    const factor = Math.exp(-e.deltaY * 0.0015);
    const r = canvas.getBoundingClientRect();
    const px = e.clientX - r.left, py = e.clientY - r.top;
    view.x = px - (px - view.x) * factor;
    view.y = py - (py - view.y) * factor;
    view.scale *= factor;
    applyView();
  }, { passive: false });
  $("fit").onclick = () => { Object.assign(view, { x: 0, y: 0, scale: 1 }); applyView(); };
  $("save").onclick = () => act({ act: "save" });
  addEventListener("keydown", (e) => {
    if (e.key === "Escape" && !$("popup").hidden) act({ act: "dismiss" });
  });
}

setUpCanvas();
refresh();
setInterval(() => { if (document.visibilityState === "visible") refresh(); }, 1000);
