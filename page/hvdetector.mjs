// The page's side of the HVDetector bridge: Base's members by their script names, its events and
// its panel, reached through the HVDetector extension and the messaging host it starts. The build
// makes an ES module and a classic script (window.HVDetector) of this one source, with the
// vendor's settings in place of VENDOR.
//
//   const base = await connect();
//   await base.get('HasCvxMime');
//   base.addEventListener('box', (e) => alert(e.detail.text));
//   base.mount(document.getElementById('panel'));
//   await base.call('INSTALL');
import { VENDOR } from './vendor.mjs';
import { isVendorOrigin } from '../extension/site_domain.js';

const CHANNEL = 'hvdetector';
// The content script answers a page's "connect" at once; silence means it is not there.
const EXTENSION_ANSWER_MS = 1000;
const TWIPS_PER_PIXEL = 15;
const PIXELS_PER_POINT = 96 / 72;
// Events the page library raises itself, or the host sends unasked: never asked of the host.
const PAGE_EVENTS = new Set(['panel', 'box', 'close']);
const PIECES = { page: 'the page library', extension: 'the HVDetector extension', host: 'the HVDetector application (its messaging host)' };

// Every failure the library reports: `code` tells them apart, the message says it in words.
// "member" errors are what Base raised, with the runtime's number, description and source.
export class HVDetectorError extends Error {
  constructor(code, message, details = {}) {
    super(message);
    this.name = 'HVDetectorError';
    this.code = code;
    Object.assign(this, details);
  }
}

const bridgeError = (code, message, details) => new HVDetectorError(code, `HVDetector: ${message}`, details);

// What a member raised, as a script sees it: the description is the message.
function memberError({ number, description, source }) {
  return new HVDetectorError('member', description, { number, description, source });
}

// A refusal in the extension's words carries its code; the host's own refusals come before any
// member could run: an origin it does not serve, or a machine where it cannot serve at all.
function refusalError(message) {
  const text = String(message.message);
  const code = ['refused-origin', 'no-host'].includes(message.code) ? message.code
    : / is not on /.test(text) ? 'refused-origin' : 'no-host';
  return bridgeError(code, text);
}

const major = (version) => Number.parseInt(String(version).split('.')[0], 10);

// Pieces whose major version is behind the newest of the three, which cannot talk to it.
function piecesBehind(versions) {
  const known = Object.entries(versions).filter(([, version]) => version !== null);
  const newest = Math.max(...known.map(([, version]) => major(version)));
  return known.filter(([, version]) => major(version) < newest).map(([piece]) => piece);
}

function versionMismatch(versions) {
  const behind = piecesBehind(versions);
  if (behind.length === 0)
    return null;
  const told = Object.entries(versions).map(([piece, version]) => `${PIECES[piece]} ${version ?? 'unknown'}`);
  return bridgeError('version-mismatch',
    `version mismatch (${told.join(', ')}): update ${behind.map((piece) => PIECES[piece]).join(' and ')}`,
    { update: behind, versions });
}

// Chromium lets the vendor's pages connect to the extension themselves, by its id.
function runtimeTransport(id) {
  const port = window.chrome.runtime.connect(id);
  return {
    send: (message) => port.postMessage(message),
    close: () => port.disconnect(),
    start(receive, ended) {
      port.onMessage.addListener(receive);
      port.onDisconnect.addListener(() => ended(window.chrome.runtime.lastError));
    },
  };
}

// Elsewhere the extension's content script relays window messages; each connection has a
// number of its own so that several can share the page's window.
let windowPorts = 0;
function windowTransport() {
  const id = `${Date.now()}-${++windowPorts}`;
  const post = (message) =>
    window.postMessage({ channel: CHANNEL, to: 'extension', port: id, message }, window.location.origin);
  let listener = null;
  return {
    send: post,
    close() {
      post({ type: 'close' });
      window.removeEventListener('message', listener);
    },
    start(receive, ended) {
      let answered = false;
      listener = (event) => {
        const data = event.data;
        if (event.source !== window || event.origin !== window.location.origin ||
            data?.channel !== CHANNEL || data.to !== 'page' || data.port !== id)
          return;
        if (data.message?.type === 'connecting') {
          answered = true;
        } else if (data.message?.type === 'closed') {
          window.removeEventListener('message', listener);
          ended(null);
        } else {
          receive(data.message);
        }
      };
      window.addEventListener('message', listener);
      post({ type: 'connect' });
      setTimeout(() => {
        if (!answered) {
          window.removeEventListener('message', listener);
          ended({ message: 'no extension answered' });
        }
      }, EXTENSION_ANSWER_MS);
    },
  };
}

// The ways to the extension, in the order they are tried: each id it may have in Chromium (a
// store's, the vendor's own), else the content script's relay.
function transports() {
  if (typeof window.chrome?.runtime?.connect === 'function')
    return VENDOR.extensionIds.map((id) => () => runtimeTransport(id));
  return [windowTransport];
}

class Base extends EventTarget {
  #transport;
  #nextId = 1;
  #pending = new Map();
  #listening = new Set();
  #panel = null;
  #panels = new Set();
  #pictures = new Map();
  #closed = false;
  #versions;

  // ATTACH hands the connection's messages and its end to this Base alone.
  constructor(transport, versions, attach) {
    super();
    this.#transport = transport;
    this.#versions = Object.freeze(versions);
    attach((message) => this.#receive(message), (reason) => this.#disconnected(reason));
  }

  // The page library's, the extension's and the host's versions.
  get versions() {
    return this.#versions;
  }

  get(name) {
    return this.#request({ type: 'get', name });
  }

  put(name, value) {
    return this.#request({ type: 'put', name, value });
  }

  call(name, ...args) {
    return this.#request({ type: 'call', name, args });
  }

  addEventListener(name, listener, options) {
    super.addEventListener(name, listener, options);
    // The host sends the control's own events only once asked for.
    if (!PAGE_EVENTS.has(name) && !this.#listening.has(name) && !this.#closed) {
      this.#listening.add(name);
      this.#transport.send({ type: 'listen', name });
    }
  }

  mount(element) {
    const panel = new PanelView(element, this.#pictures);
    this.#panels.add(panel);
    if (this.#panel)
      panel.draw(this.#panel);
    return panel;
  }

  close() {
    if (this.#closed)
      return;
    this.#transport.close();
    this.#ended(bridgeError('closed', 'the connection was closed'));
  }

  #request(message) {
    if (this.#closed)
      return Promise.reject(bridgeError('closed', 'the connection has ended'));
    const id = this.#nextId++;
    return new Promise((resolve, reject) => {
      this.#pending.set(id, { resolve, reject });
      this.#transport.send({ ...message, id });
    });
  }

  #receive(message) {
    const waiting = this.#pending.get(message?.id);
    if (message?.type === 'result' && waiting) {
      this.#pending.delete(message.id);
      waiting.resolve(message.value);
    } else if (message?.type === 'error' && waiting) {
      this.#pending.delete(message.id);
      waiting.reject(memberError(message));
    } else if (message?.type === 'event' && typeof message.name === 'string' && message.name !== 'close') {
      if (message.name === 'panel')
        this.#showPanel(message.detail);
      this.dispatchEvent(new CustomEvent(message.name, { detail: message.detail }));
    }
  }

  #showPanel(detail) {
    // The picture comes with the first panel event only; later ones are drawn with it.
    for (const child of detail?.children ?? []) {
      if (typeof child.picture === 'string' && child.picture.startsWith('data:image/'))
        this.#pictures.set(child.name, child.picture);
    }
    this.#panel = detail;
    for (const panel of this.#panels)
      panel.draw(detail);
  }

  #ended(error) {
    if (this.#closed)
      return;
    this.#closed = true;
    for (const { reject } of this.#pending.values())
      reject(error);
    this.#pending.clear();
    this.dispatchEvent(new CustomEvent('close', { detail: { message: error.message } }));
  }

  #disconnected(reason) {
    this.#ended(bridgeError('closed', `the connection ended${reason?.message ? ` (${reason.message})` : ''}`));
  }
}

// The panel drawn with the page's own elements from the layout each panel event carries, as the
// control's window draws it: earlier children lie above later ones. Each child keeps its element
// from one event to the next, so that assistive technology follows the status label (a polite
// live region) and the bar (a progressbar) as they change.
class PanelView {
  #root;
  #pictures;
  #boxes = new Map();

  constructor(element, pictures) {
    this.#pictures = pictures;
    this.#root = document.createElement('div');
    this.#root.className = 'hvdetector-panel';
    this.#root.setAttribute('role', 'group');
    this.#root.setAttribute('aria-label', 'HVDetector');
    Object.assign(this.#root.style, {
      position: 'relative', overflow: 'hidden', background: '#FFFFFF',
    });
    element.replaceChildren(this.#root);
  }

  draw(detail) {
    Object.assign(this.#root.style, {
      width: pixels(detail.width), height: pixels(detail.height),
    });
    const children = detail.children ?? [];
    const boxes = children.map((child, index) => {
      const key = `${child.kind}:${child.name}`;
      const box = this.#boxes.get(key) ?? this.#made(key, child);
      paint[child.kind]?.(box, child, this.#pictures.get(child.name));
      Object.assign(box.style, {
        position: 'absolute', left: pixels(child.left), top: pixels(child.top),
        width: pixels(child.width), height: pixels(child.height),
        zIndex: String(children.length - index), overflow: 'hidden', boxSizing: 'border-box',
        display: child.visible === false ? 'none' : 'block',
      });
      return box;
    });
    for (const [key, box] of this.#boxes) {
      if (!boxes.includes(box)) {
        box.remove();
        this.#boxes.delete(key);
      }
    }
    // Moved only where the order changed: a live region taken out and put back may go unheard.
    boxes.forEach((box, index) => {
      if (this.#root.children[index] !== box)
        this.#root.insertBefore(box, this.#root.children[index] ?? null);
    });
  }

  #made(key, child) {
    const box = document.createElement('div');
    box.dataset.name = child.name;
    // The layout's status label says how a download or an install is going.
    if (child.kind === 'label' && child.name === 'lblDownload') {
      box.setAttribute('role', 'status');
      box.setAttribute('aria-live', 'polite');
    }
    this.#boxes.set(key, box);
    return box;
  }
}

function pixels(twips) {
  return `${(Number(twips) || 0) / TWIPS_PER_PIXEL}px`;
}

const paint = {
  label(box, child) {
    const font = child.font ?? { name: 'sans-serif', points: 8.25, bold: false };
    const color = child.color ?? '#000000';
    const size = font.points * PIXELS_PER_POINT;
    Object.assign(box.style, {
      color, fontFamily: `'${font.name}', sans-serif`, fontSize: `${size}px`,
      fontWeight: font.bold ? 'bold' : 'normal', lineHeight: `${size * 1.2}px`, whiteSpace: 'pre',
      // A label stored with its text in its own background colour is meant to be seen through.
      background: child.backColor && child.backColor !== color ? child.backColor : '',
    });
    if (box.textContent !== (child.caption ?? ''))
      box.textContent = child.caption ?? '';
  },

  image(box, child, picture) {
    if (!picture || box.firstChild?.src === picture)
      return;
    const img = document.createElement('img');
    img.src = picture;
    img.alt = '';
    Object.assign(img.style, { position: 'absolute', left: '0', top: '0' });
    box.replaceChildren(img);
  },

  // The shape's stored style: its outline (4: rounded rectangle) and its border in pixels.
  shape(box, child) {
    const [outline, border] = Array.isArray(child.style) ? child.style : [4, 2];
    Object.assign(box.style, {
      border: `${border}px solid ${child.color ?? '#4A5A6A'}`,
      borderRadius: outline === 4 ? '6px' : '0',
    });
  },

  progress(box, child) {
    const value = Math.round(Math.min(100, Math.max(0, Number(child.value) || 0)));
    if (!box.firstChild) {
      box.setAttribute('role', 'progressbar');
      box.setAttribute('aria-label', 'Download progress');
      box.setAttribute('aria-valuemin', '0');
      box.setAttribute('aria-valuemax', '100');
      const fill = document.createElement('div');
      Object.assign(fill.style, { position: 'absolute', left: '1px', top: '1px', bottom: '1px' });
      box.append(fill);
    }
    box.setAttribute('aria-valuenow', String(value));
    Object.assign(box.style, {
      background: child.trough ?? '#ECEFF1', border: `1px solid ${child.edge ?? '#9AA5AE'}`,
    });
    Object.assign(box.firstChild.style, {
      width: `calc((100% - 2px) * ${value / 100})`, background: child.fill ?? '#0F7A84',
    });
  },
};

// Opens the connection over TRANSPORT: the Base once the host has opened, or why not; null when
// no extension answered there at all.
function open(transport) {
  return new Promise((resolve, reject) => {
    let receive = null;
    let ended = null;
    let heard = false;
    transport.start((message) => {
      heard = true;
      if (receive) {
        receive(message);
      } else if (message?.type === 'opened') {
        const versions = { page: VENDOR.version, extension: message.extension ?? null, host: message.version ?? null };
        const mismatch = versionMismatch(versions);
        if (mismatch) {
          transport.close();
          reject(mismatch);
          return;
        }
        resolve(new Base(transport, versions, (onMessage, onEnd) => {
          receive = onMessage;
          ended = onEnd;
        }));
      } else if (message?.type === 'refused') {
        transport.close();
        reject(refusalError(message));
      }
    }, (reason) => {
      if (ended)
        ended(reason);
      else if (heard)
        reject(bridgeError('no-host', `the connection ended before the host answered${reason?.message ? ` (${reason.message})` : ''}`));
      else
        resolve(reason ?? {});
    });
  });
}

export async function connect() {
  if (!isVendorOrigin(window.location.origin, VENDOR.siteDomain)) {
    throw bridgeError('refused-origin',
      `page outside the domain: ${window.location.origin} is not on ${VENDOR.siteDomain}`);
  }
  let reason = null;
  for (const transport of transports()) {
    try {
      const outcome = await open(transport());
      if (outcome instanceof Base)
        return outcome;
      reason = outcome;
    } catch (error) {
      // Chromium refuses at once to connect to an id no extension of its has.
      if (!(error instanceof HVDetectorError))
        reason = error;
      else
        throw error;
    }
  }
  throw bridgeError('no-extension',
    `no extension: the HVDetector extension is not installed or not enabled${reason?.message ? ` (${reason.message})` : ''}`);
}
