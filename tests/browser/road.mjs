// The road a visitor's browser walks through the messaging host, for the road suite and for
// `scripts/demo --browser`: a scratch machine where only the library is registered, the vendor's
// site on loopback with the demo's document and installer, Chromium with the host registered in
// its throwaway profile, and the road page walked with its two photographs taken.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { POLICY_INSTALL, SITE, eventually, launch, sourceDir, startSite } from './harness.mjs';
import { photograph } from './pixels.mjs';

export const INSTALLERS = '/cvAppDownloads/library/windows/vm';

// The programs the road needs, from the environment the build passes on: null when one is missing.
export function roadPrograms(environment = process.env) {
  const programs = {
    messagingHost: environment.HVDETECTOR_MESSAGING_HOST,
    hvdetector: environment.HVDETECTOR_BINARY,
    installer: environment.HVDETECTOR_DEMO_INSTALLER,
  };
  return Object.values(programs).every((file) => file && fs.existsSync(file)) ? programs : null;
}

// A scratch machine where only the library is registered, its downloads going to SITE. The host
// and the installer it runs find the store there; the installer puts the viewer under
// HALVERINE_INSTALL_ROOT; downloads land in TMPDIR.
export function scratchMachine(hvdetector, site) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'hvdetector-road-'));
  for (const folder of ['registry', 'programs', 'tmp'])
    fs.mkdirSync(path.join(scratch, folder));
  const env = {
    HVDETECTOR_REGISTRY: path.join(scratch, 'registry'),
    HALVERINE_INSTALL_ROOT: path.join(scratch, 'programs'),
    TMPDIR: path.join(scratch, 'tmp'),
    HVDETECTOR_CONNECT_TO: `www.corvantis.example:80:127.0.0.1:${site.port}`,
  };
  execFileSync(hvdetector, ['register'], { env: { ...process.env, ...env } });
  return { scratch, env };
}

// The photographs go to SHOTS (a scratch folder of the run without it).
export async function prepareRoad({ hvdetector, installer, messagingHost }, shots = null) {
  const site = await startSite();
  const { scratch, env } = scratchMachine(hvdetector, site);
  shots ??= path.join(scratch, 'shots');
  fs.mkdirSync(shots, { recursive: true });
  const body = fs.readFileSync(installer);
  site.route('/dl/quarterly-report.cvx',
    fs.readFileSync(path.join(sourceDir, 'examples/demo/quarterly-report.cvx')));
  // Half of the installer comes at once, the rest once the panel has been photographed.
  const held = site.route(`${INSTALLERS}/install.exe`, body, { hold: true });
  // Cut short on the way: the installer finds its payload damaged and fails.
  site.route(`${INSTALLERS}/damaged-install.exe`, body.subarray(0, body.length - 4096));
  let chromium;
  try {
    // hvdetector registers the host for the ids of its own build; the policy-installed extension
    // has the id of the build that made it.
    chromium = await launch(site, POLICY_INSTALL ? { env, host: messagingHost } : {
      env,
      profile: (userDataDir) => execFileSync(hvdetector,
        ['--registry', env.HVDETECTOR_REGISTRY, 'register-browsers', '--profile', userDataDir]),
    });
  } catch (error) {
    // A listening site would keep the test runner waiting for ever.
    await site.stop();
    fs.rmSync(scratch, { recursive: true, force: true });
    throw error;
  }
  // What the host and the programs it starts write on their error streams.
  let output = '';
  chromium.browser.process().stderr?.on('data', (chunk) => { output += chunk; });
  return {
    site, chromium, scratch, shots, held, env,
    output: () => output,
    async close() {
      await chromium.close();
      await site.stop();
      fs.rmSync(scratch, { recursive: true, force: true });
    },
  };
}

// Walks the road page; ON_REPORT hears each step as the page reports it. Returns the reports,
// the panel as photographed mid-download with the bar's value then, and after the failed install.
export async function walkRoad(road, onReport = () => {}) {
  const page = await road.chromium.browser.newPage();
  let heard = 0;
  const next = async (step) => {
    const found = await road.site.report((r) => r.step === step || r.error);
    for (const report of road.site.reports.slice(heard))
      onReport(report);
    heard = road.site.reports.length;
    return found;
  };
  await page.goto(`${SITE}/road.html`);
  await next('detect-before');
  await road.held.requested;
  const moved = await eventually(() => page.evaluate(() => window.lastPanel?.value > 0));
  const value = await page.evaluate(() => window.lastPanel?.value);
  const during = await photograph(page, '#panel', path.join(road.shots, 'during.png'));
  road.held.release();
  await next('install-damaged');
  const after = await photograph(page, '#panel', path.join(road.shots, 'after.png'));
  await page.close();
  const reports = Object.fromEntries(road.site.reports.map((report) => [report.step, report]));
  return { reports, moved, value, during, after };
}
