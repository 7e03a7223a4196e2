// Holds one native port per page connection, so each page connection gets a control of its own
// in a host process of its own, and either side going away ends the other.
import { VENDOR } from './vendor.js';
import { isVendorOrigin } from './site_domain.js';

const api = globalThis.browser ?? globalThis.chrome;
const VERSION = api.runtime.getManifest().version;

// The browser's own account of who connected; what a page writes into a message never counts.
// The page's origin is the one the browser reports: an opaque one stays opaque, and the frame's
// address counts only where a browser reports no origin at all. A frame is let through only when
// the page at the top of its tab is a vendor page as well, so that no other site can frame a
// vendor page and drive it.
function vendorCaller(sender) {
  const origin = sender?.origin !== undefined ? sender.origin : originOf(sender?.url);
  if (!isVendorOrigin(origin, VENDOR.siteDomain))
    return { refusal: `the page ${origin} is not on ${VENDOR.siteDomain}` };
  if (sender.frameId !== 0) {
    const top = originOf(sender.tab?.url);
    if (!isVendorOrigin(top, VENDOR.siteDomain))
      return { refusal: `the page ${origin} is framed by ${top ?? 'a page'} that is not on ${VENDOR.siteDomain}` };
  }
  return { origin };
}

// The origin of an address the browser reported, or null when it has none.
function originOf(address) {
  try {
    return new URL(address).origin;
  } catch {
    return null;
  }
}

function disconnectReason(port) {
  return port.error?.message ?? api.runtime.lastError?.message ?? 'it ended without an answer';
}

// A page may lose its port at any moment; what it would have been told no longer matters.
function tell(pagePort, message) {
  try {
    pagePort.postMessage(message);
  } catch {}
}

function refuse(pagePort, code, message) {
  tell(pagePort, { type: 'refused', code, message });
  pagePort.disconnect();
}

function bridge(pagePort) {
  const { origin, refusal } = vendorCaller(pagePort.sender);
  if (refusal) {
    refuse(pagePort, 'refused-origin', refusal);
    return;
  }
  const nativePort = api.runtime.connectNative(VENDOR.nativeHost);
  let heard = false;
  nativePort.onMessage.addListener((message) => {
    heard = true;
    // The page learns which extension it reached with the host's own greeting.
    tell(pagePort, message?.type === 'opened' ? { ...message, extension: VERSION } : message);
  });
  nativePort.onDisconnect.addListener((port) => {
    // A host that never answered was not there to answer: not installed, or not for this browser.
    if (!heard) {
      refuse(pagePort, 'no-host',
        `no host: the messaging host ${VENDOR.nativeHost} could not be started (${disconnectReason(port)})`);
    } else {
      pagePort.disconnect();
    }
  });
  // Sent before any of the page's messages can be relayed: the host learns the page's origin
  // from the browser, never from the page.
  nativePort.postMessage({ type: 'open', origin });
  pagePort.onMessage.addListener((message) => {
    if (message?.type === 'open') {
      tell(pagePort, {
        type: 'error',
        id: message.id ?? null,
        number: 5,
        description: 'Invalid procedure call or argument',
        source: '',
      });
      return;
    }
    nativePort.postMessage(message);
  });
  pagePort.onDisconnect.addListener(() => nativePort.disconnect());
}

// Chromium's pages connect directly (externally_connectable); Firefox's through the content
// script, which runs only in the top frame of the vendor's pages. Another extension is never let
// through, even from a vendor's page: Firefox lets any extension connect from outside.
api.runtime.onConnectExternal?.addListener((port) => {
  if (port.sender?.id === undefined)
    bridge(port);
  else
    port.disconnect();
});
api.runtime.onConnect.addListener((port) => {
  if (port.sender?.id === api.runtime.id && port.sender?.frameId === 0)
    bridge(port);
  else
    port.disconnect();
});
