// What the browser suites share: the vendor's site on loopback, and headless Chromium with a
// fresh user-data folder, the extension loaded unpacked and every host name it may look up
// mapped to that site or to nowhere; headless Firefox ESR likewise, in a fresh home.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const sourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const EXTENSION_ID = 'egafbdheimjkckgieoggiofnmblcbfdm';
export const SITE = 'http://www.corvantis.example';
// Hosts the suites visit besides the vendor's own; all of them reach the loopback site.
export const OTHER_HOSTS = [
  'corvantis.example',
  'corvantis.example.evil.test',
  'www.corvantis.example.evil.test',
  'evilcorvantis.example',
  'evil.test',
  'corvantis.evil.test',
];
export const CHROMIUM = process.env.HVDETECTOR_CHROMIUM ?? '/usr/lib/chromium/chromium';
export const FIREFOX = process.env.HVDETECTOR_FIREFOX ?? '/usr/bin/firefox-esr';

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8' };

// The site serves the page library, the suites' pages and whatever files a suite adds under a
// route; a route may hold its body back halfway until the suite lets it go. Pages report to it
// with POST /report.
export async function startSite() {
  const routes = new Map([
    ['/hvdetector.js', { file: path.join(sourceDir, 'page/hvdetector.js') }],
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
  fs.writeFileSync(path.join(folder, 'com.corvantis.hvdetector.json'), JSON.stringify({
    name: 'com.corvantis.hvdetector',
    description: 'Corvantis Halverine Detector',
    path: hostPath,
    type: 'stdio',
    allowed_origins: [`chrome-extension://${EXTENSION_ID}/`],
  }, null, 2));
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
  const rules = ['www.corvantis.example', ...OTHER_HOSTS]
    .map((name) => `MAP ${name} 127.0.0.1:${site.port}`)
    .concat('MAP * ~NOTFOUND')
    .join(', ');
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    pipe: true,
    protocolTimeout: 60000,
    userDataDir,
    enableExtensions: extension ? [path.join(sourceDir, 'extension'), ...others] : others,
    env: { ...process.env, ...env },
    args: [
      `--host-resolver-rules=${rules}`,
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      ...(process.getuid?.() === 0 ? ['--no-sandbox'] : []),
    ],
  });
  if (extension) {
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
    browser = await puppeteer.launch({
      browser: 'firefox',
      executablePath: FIREFOX,
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
      },
    });
    await browser.installExtension(path.join(sourceDir, 'extension'));
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
