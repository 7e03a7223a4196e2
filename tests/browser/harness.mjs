// What the browser suites share: the vendor's site on loopback, and headless Chromium with a
// fresh user-data folder, the build's extension loaded unpacked and every host name it may look
// up mapped to that site or to nowhere; headless Firefox ESR likewise, in a fresh home.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const sourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
// The extension and the page library as a build made them for its vendor's settings.
export const browserDir = process.env.HVDETECTOR_BROWSER_DIR ?? path.join(sourceDir, 'build/browser');
const vendorJson = path.join(browserDir, '../vendor.json');
export const VENDOR = JSON.parse(fs.readFileSync(vendorJson, 'utf8'));
export const EXTENSION_ID = VENDOR.chromiumExtensionIds[0];
export const SITE = `http://www.${VENDOR.siteDomain}`;
// Hosts the suites visit besides the vendor's own; all of them reach the loopback site.
export const OTHER_HOSTS = [
  VENDOR.siteDomain,
  'www.corvantis.example',
  'corvantis.example',
  'corvantis.example.evil.test',
  'www.corvantis.example.evil.test',
  'evilcorvantis.example',
  'evil.test',
  'corvantis.evil.test',
];
export const CHROMIUM = process.env.HVDETECTOR_CHROMIUM ?? '/usr/lib/chromium/chromium';
export const FIREFOX = process.env.HVDETECTOR_FIREFOX ?? '/usr/bin/firefox-esr';

const script = 'text/javascript; charset=utf-8';
const types = { '.html': 'text/html; charset=utf-8', '.js': script, '.mjs': script,
  '.xml': 'text/xml', '.crx': 'application/x-chrome-extension', '.xpi': 'application/x-xpinstall' };

// The site serves the page library, the suites' pages and whatever files a suite adds under a
// route; a route may hold its body back halfway until the suite lets it go. Pages report to it
// with POST /report.
export async function startSite() {
  const routes = new Map([
    ['/hvdetector.js', { file: path.join(browserDir, 'page/hvdetector.js') }],
    ['/hvdetector.mjs', { file: path.join(browserDir, 'page/hvdetector.mjs') }],
  ]);
  for (const name of fs.readdirSync(path.join(sourceDir, 'tests/browser/pages')))
    routes.set(`/${name}`, { file: path.join(sourceDir, 'tests/browser/pages', name) });
  const reports = [];
  const waiting = [];
  const sockets = new Set();
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://site');
    if (request.method === 'POST' && url.pathname === '/report') {
      let body = '';
      request.setEncoding('utf8');
      request.on('data', (chunk) => { body = (body + chunk).slice(0, 1 << 20); });
      request.on('end', () => {
        response.end('');
        let report;
        try {
          report = JSON.parse(body);
        } catch {
          report = { unreadable: body.slice(0, 200) };
        }
        reports.push(report);
        for (const wait of waiting.splice(0))
          wait();
      });
      return;
    }
    const route = routes.get(url.pathname);
    if (!route) {
      response.writeHead(404).end('not here');
      return;
    }
    const body = route.body ?? fs.readFileSync(route.file);
    response.writeHead(200, {
      'Content-Type': types[path.extname(url.pathname)] ?? 'application/octet-stream',
      'Content-Length': body.length,
      'Cache-Control': 'no-store',
    });
    if (!route.hold) {
      response.end(body);
      return;
    }
    const half = Math.floor(body.length / 2);
    response.write(body.subarray(0, half));
    route.hold.requested();
    route.hold.released.then(() => response.end(body.subarray(half)));
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    port: server.address().port,
    reports,
    // Serves BODY (a Buffer) at ROUTE; with `hold`, only its first half until `release()`.
    route(route, body, { hold = false } = {}) {
      const entry = { body };
      let release;
      if (hold) {
        let requested;
        entry.hold = {
          requestedPromise: new Promise((resolve) => { requested = resolve; }),
          released: new Promise((resolve) => { release = resolve; }),
        };
        entry.hold.requested = requested;
      }
      routes.set(route, entry);
      return hold ? { requested: entry.hold.requestedPromise, release } : null;
    },
    // The first report for which TEST holds, waiting for it for at most MS milliseconds.
    async report(test, ms = 20000) {
      const deadline = Date.now() + ms;
      for (;;) {
        const found = reports.find(test);
        if (found)
          return found;
        if (Date.now() > deadline)
          throw new Error(`no such report came; reports: ${JSON.stringify(reports).slice(0, 2000)}`);
        await new Promise((resolve) => {
          waiting.push(resolve);
          setTimeout(resolve, 200);
        });
      }
    },
    async stop() {
      for (const socket of sockets)
        socket.destroy();
      await new Promise((resolve) => server.close(resolve));
    },
  };
}

// The Chromium host manifest, written into the throwaway profile as `register-browsers
// --profile DIR` writes it.
export function writeHostManifest(userDataDir, hostPath) {
  const folder = path.join(userDataDir, 'NativeMessagingHosts');
  fs.mkdirSync(folder, { recursive: true });
  fs.writeFileSync(path.join(folder, `${VENDOR.nativeHost}.json`), JSON.stringify({
    name: VENDOR.nativeHost,
    description: 'Corvantis Halverine Detector',
    path: hostPath,
    type: 'stdio',
    allowed_origins: VENDOR.chromiumExtensionIds.map((id) => `chrome-extension://${id}/`),
  }, null, 2));
}

// With HVDETECTOR_POLICY_INSTALL=1 the suites meet the extension as a managed machine has it: the
// browser is started without developer mode and installs it by the build's policy from the site,
// CRX or XPI and all. The policy reaches the browser through a folder of the run's own bound over
// the system's policy folder in a mount namespace of the browser's own, so that the machine's
// settings never change.
export const POLICY_INSTALL = process.env.HVDETECTOR_POLICY_INSTALL === '1';

// Serves what a managed browser fetches from the vendor's site: update.xml and the CRX beside it,
// and the XPI Firefox's policy names.
function serveExtensionPackages(site) {
  const where = (url) => new URL(url).pathname;
  const firefoxPolicy = JSON.parse(fs.readFileSync(path.join(browserDir, 'policies/firefox.json'), 'utf8'));
  const addon = Object.values(firefoxPolicy.policies.ExtensionSettings)[0];
  if (fs.existsSync(path.join(browserDir, 'hvdetector.xpi')))
    site.route(where(addon.install_url), fs.readFileSync(path.join(browserDir, 'hvdetector.xpi')));
  if (fs.existsSync(path.join(browserDir, 'update.xml'))) {
    site.route(where(VENDOR.extensionUpdateUrl), fs.readFileSync(path.join(browserDir, 'update.xml')));
    site.route(where(new URL('hvdetector.crx', VENDOR.extensionUpdateUrl)),
      fs.readFileSync(path.join(browserDir, 'hvdetector.crx')));
  }
}

// A program that starts BROWSER with the policy folder POLICIES bound over SYSTEM_FOLDER, in a
// mount namespace that ends with it.
function browserUnderPolicy(scratch, browser, systemFolder, policies) {
  const wrapper = path.join(scratch, 'browser-under-policy');
  fs.writeFileSync(wrapper, `#!/bin/sh
exec unshare --mount --propagation private sh -c 'mount --bind "$0" "$1" && shift && exec "$@"' \
  '${policies}' '${systemFolder}' '${browser}' "$@"
`, { mode: 0o755 });
  return wrapper;
}

// Installed, the extension shows itself to the vendor's pages: its content script answers.
async function untilTheExtensionAnswers(browser) {
  const page = await browser.newPage();
  const installed = await eventually(async () => {
    await page.goto(`${SITE}/probe.html`);
    return page.evaluate(() => HVDetector.connect().then((base) => base.close() ?? true,
      (error) => error.code !== 'no-extension'));
  }, 60000);
  await page.close();
  if (!installed)
    throw new Error('the policy did not install the extension within a minute');
}

// Headless Chromium on a fresh profile. `host` names the messaging host program, or `profile`
// writes its manifest into the profile folder it is given (no manifest without either);
// `extension: false` leaves the extension out, `others` loads more unpacked extensions beside
// it; `env` is what the host inherits.
export async function launch(site, { host = null, profile = null, extension = true, others = [], env = {} } = {}) {
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-chromium-'));
  if (host)
    writeHostManifest(userDataDir, host);
  profile?.(userDataDir);
  const rules = [new URL(SITE).hostname, ...OTHER_HOSTS]
    .map((name) => `MAP ${name} 127.0.0.1:${site.port}`)
    .concat('MAP * ~NOTFOUND')
    .join(', ');
  let executablePath = CHROMIUM;
  let enableExtensions = extension ? [path.join(browserDir, 'extension'), ...others] : others;
  if (extension && POLICY_INSTALL) {
    serveExtensionPackages(site);
    const policies = path.join(userDataDir, 'etc-chromium');
    fs.mkdirSync(path.join(policies, 'policies/managed'), { recursive: true });
    fs.copyFileSync(path.join(browserDir, 'policies/chromium.json'),
      path.join(policies, 'policies/managed/hvdetector.json'));
    executablePath = browserUnderPolicy(userDataDir, CHROMIUM, '/etc/chromium', policies);
    // Loading unpacked ones on the command line would disable every other extension.
    enableExtensions = true;
  }
  const browser = await puppeteer.launch({
    executablePath,
    headless: true,
    pipe: true,
    protocolTimeout: 60000,
    userDataDir,
    enableExtensions,
    ignoreDefaultArgs: POLICY_INSTALL ? ['--disable-background-networking'] : [],
    env: { ...process.env, HVDETECTOR_VENDOR_JSON: vendorJson, ...env },
    args: [
      `--host-resolver-rules=${rules}`,
      '--no-first-run',
      // A managed browser fetches its force-installed extension as background work.
      ...(POLICY_INSTALL ? [] : ['--disable-background-networking']),
      '--disable-component-update',
      '--disable-sync',
      ...(process.getuid?.() === 0 ? ['--no-sandbox'] : []),
    ],
  });
  if (extension && POLICY_INSTALL) {
    for (const other of others)
      await browser.installExtension(other);
    try {
      await untilTheExtensionAnswers(browser);
    } catch (error) {
      await browser.close();
      throw error;
    }
  } else if (extension) {
    await browser.waitForTarget((t) => t.type() === 'service_worker' &&
      t.url().startsWith(`chrome-extension://${EXTENSION_ID}/`), { timeout: 15000 });
  }
  return {
    browser,
    userDataDir,
    async close() {
      await browser.close();
      fs.rmSync(userDataDir, { recursive: true, force: true });
    },
  };
}

// Headless Firefox ESR in a fresh home, where `hvdetector register-browsers` writes the host
// manifest, with the extension installed for this run only. Firefox maps no names as Chromium
// does: every page goes through the site as its proxy, and every name Firefox looks up itself
// (its own services, which bypass the proxy) resolves to loopback. `env` is what the host
// inherits.
export async function launchFirefox(site, hvdetector, { env = {} } = {}) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-firefox-'));
  env = { ...process.env, ...env, HOME: home };
  let browser;
  try {
    // register-browsers writes only for a browser that has its folder.
    fs.mkdirSync(path.join(home, '.mozilla'));
    execFileSync(hvdetector, ['register-browsers'], { env });
    let executablePath = FIREFOX;
    if (POLICY_INSTALL) {
      serveExtensionPackages(site);
      const distribution = path.join(home, 'distribution');
      fs.mkdirSync(distribution);
      fs.copyFileSync(path.join(browserDir, 'policies/firefox.json'), path.join(distribution, 'policies.json'));
      executablePath = browserUnderPolicy(home, fs.realpathSync(FIREFOX),
        path.join(path.dirname(fs.realpathSync(FIREFOX)), 'distribution'), distribution);
    }
    browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath,
      headless: true,
      protocolTimeout: 60000,
      userDataDir: path.join(home, 'profile'),
      env,
      extraPrefsFirefox: {
        'network.proxy.type': 1,
        'network.proxy.http': '127.0.0.1',
        'network.proxy.http_port': site.port,
        'network.proxy.ssl': '127.0.0.1',
        'network.proxy.ssl_port': site.port,
        'network.proxy.no_proxies_on': '',
        'network.proxy.allow_hijacking_localhost': true,
        'network.dns.forceResolve': '127.0.0.1',
        'network.trr.mode': 5,
        // The build's XPI is not signed; Firefox ESR installs it by policy when told so.
        ...(POLICY_INSTALL ? { 'xpinstall.signatures.required': false } : {}),
      },
    });
    if (POLICY_INSTALL)
      await untilTheExtensionAnswers(browser);
    else
      await browser.installExtension(path.join(browserDir, 'extension'));
  } catch (error) {
    await browser?.close();
    fs.rmSync(home, { recursive: true, force: true });
    throw error;
  }
  return {
    browser,
    home,
    async close() {
      await browser.close();
      fs.rmSync(home, { recursive: true, force: true });
    },
  };
}

// A page of the site at ORIGIN (the vendor's by default) with the page library loaded.
export async function openPage(browser, origin = SITE, name = 'probe.html') {
  const page = await browser.newPage();
  await page.goto(`${origin}/${name}`);
  return page;
}

// The processes running PROGRAM now, by their ids.
export function running(program) {
  return fs.readdirSync('/proc').filter((pid) => /^\d+$/.test(pid)).filter((pid) => {
    try {
      return fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').startsWith(program);
    } catch {
      return false;
    }
  });
}

// Waits for CONDITION to hold, polling, for at most MS milliseconds; false if it never did.
export async function eventually(condition, ms = 10000) {
  const deadline = Date.now() + ms;
  while (Date.now() < deadline) {
    if (await condition())
      return true;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return false;
}
