// The road of scripts/demo in headless Chromium, through the extension and the messaging host:
// the road page (the page library only) is served by the stand-in for the vendor's site on
// loopback and says what it does; the panel is photographed mid-download and after the failed
// install. Usage: node scripts/demo-browser.mjs SCREENSHOT_FOLDER (the programs come from the
// environment scripts/demo sets).
import { prepareRoad, roadPrograms, walkRoad } from '../tests/browser/road.mjs';

const steps = {
  'detect-before': 'A fresh machine: the page reads the five detection properties',
  install: 'The page asks Base to INSTALL: it fetches the installer and its signature, checks it and runs it with /S /P',
  'detect-after': 'Detection now reads',
  launch: 'The page asks Base to LAUNCH a document: it is fetched and opened with the viewer',
  'launch-outside': "A document outside the vendor's domain is refused before anything is fetched",
  'launch-missing': 'A document that is not on the site: the download fails and nothing is opened',
  'install-damaged': 'An installer damaged on the way: its signature does not match, nothing runs: Install error, in red',
};

function show(report) {
  console.log(`\n== ${steps[report.step] ?? report.step}`);
  if (report.values) {
    for (const [name, value] of Object.entries(report.values))
      console.log(`  ${name}: ${value}`);
  }
  if (report.panel)
    console.log(`  the panel shows "${report.panel.caption}" in ${report.panel.color}, the bar at ${report.panel.value}%`);
  for (const box of report.boxes ?? [])
    console.log(`  box${box.title ? ` "${box.title}"` : ''}: ${JSON.stringify(box.text)}`);
  if (report.error)
    console.log(`  failed: ${JSON.stringify(report.error)}`);
}

const programs = roadPrograms();
if (!programs) {
  console.error('demo: the messaging host, hvdetector or the demo installer is not built');
  process.exit(1);
}
const road = await prepareRoad(programs, process.argv[2]);
try {
  const { reports, value } = await walkRoad(road, show);
  const opened = road.output().match(/halverine-viewer: opened .*\n(  .*\n)*/);
  console.log(`\n== What the viewer said when the document was opened\n${opened?.[0] ?? '  (nothing)\n'}`);
  console.log(`Photographs: ${road.shots}/during.png (the bar at ${value}%), ${road.shots}/after.png`);
  process.exitCode = reports['install-damaged'] && opened ? 0 : 1;
} finally {
  await road.close();
}
