// The library's domain rule as the browser side applies it to an origin: an http or https page
// whose host is a well-formed name under the vendor's domain (never the bare domain), served on
// its scheme's own port. An opaque origin ("null": a sandboxed frame, a file, a data: page) is
// never one of the vendor's pages.
const LABEL = /^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$/;

export function isVendorOrigin(origin, domain) {
  if (typeof origin !== 'string' || origin === 'null')
    return false;
  let url;
  try {
    url = new URL(origin);
  } catch {
    return false;
  }
  if (url.origin !== origin || (url.protocol !== 'http:' && url.protocol !== 'https:') || url.port)
    return false;
  const host = url.hostname;
  return host.endsWith(`.${domain}`) &&
    host.slice(0, -domain.length - 1).split('.').every((label) => LABEL.test(label));
}
