// Who may reach the messaging host through this extension. The host applies the library's own
// domain rule again to the origin it is given; this check keeps other pages from starting it.
export const DOMAIN = 'corvantis.example';
export const NATIVE_HOST = 'com.corvantis.hvdetector';

// An origin is "scheme://host" with a port only when it is not the scheme's own. The vendor's
// site is served on its schemes' own ports, so an origin with any port is not one of its pages.
export function isVendorOrigin(origin) {
  if (typeof origin !== 'string')
    return false;
  let url;
  try {
    url = new URL(origin);
  } catch {
    return false;
  }
  if (url.origin !== origin || (url.protocol !== 'http:' && url.protocol !== 'https:') || url.port)
    return false;
  return url.hostname === DOMAIN || url.hostname.endsWith('.' + DOMAIN);
}
