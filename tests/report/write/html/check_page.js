// Opens each page written by callbench-report-html-sample in headless Chromium
// from file:// and checks what it drew against what the sample said it must:
// every chart drawn, each with its marks, every mark legible, no error
// logged, nothing fetched.
// Usage: node check_page.js SAMPLE_PROGRAM NODE_MODULES CHROMIUM [SAMPLE ARGUMENTS...]
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {pathToFileURL} = require('url');

const [sample, modules, browserPath, ...sampleArgs] = process.argv.slice(2);
const {chromium} = require(path.join(modules, 'playwright-core'));
if (!fs.existsSync(browserPath)) {
  console.log(`FAIL ${browserPath} is missing: run scripts/setup`);
  process.exit(1);
}

const failures = [];
let current = '';  // the page being checked
const fail = (what) => failures.push(current ? `${current}: ${what}` : what);

// Items per mark group, named as the charts name their marks: "dots_2" and
// "ratio_interval_0_1" count as "dots" and "ratio_interval".
function countMarks() {
  const counts = {};
  for (const group of document.querySelectorAll('g.role-mark')) {
    for (const name of group.classList) {
      const match = /^(.*?)((?:_\d+)*)_marks$/.exec(name);
      if (match) counts[match[1]] = (counts[match[1]] || 0) + group.childElementCount;
    }
  }
  return counts;
}

// What a reader can see, measured on the drawn SVG: each failure as text.
// - every interval mark (drawn only for intervals of non-zero width) is at
//   least a few pixels wide;
// - estimate and median marks of one chart do not overlap;
// - in every panel the data fill a fair part of it: along the value axis,
//   the height of a panel of figures over time, the width of the others
//   (figures that are all the same are a point, wherever they are drawn).
function measureLegibility() {
  const MIN_INTERVAL_PX = 3, MIN_FILL = 0.4;
  const problems = [];
  const box = (element) => element.getBoundingClientRect();
  const kind = (group) => {
    for (const name of group.classList) {
      const match = /^(.*?)((?:_\d+)*)_marks$/.exec(name);
      if (match) return {kind: match[1], name};
    }
    return null;
  };
  for (const chart of document.querySelectorAll('.plot')) {
    const estimates = [];
    const panels = new Map();  // background of the panel -> {axis, boxes}
    for (const group of chart.querySelectorAll('g.role-mark')) {
      const mark = kind(group);
      if (!mark) continue;
      const items = [...group.children].map(box);
      if (/_interval$/.test(mark.kind)) {
        for (const item of items)
          if (item.width < MIN_INTERVAL_PX) problems.push(`${chart.id}: ${mark.name} ${item.width.toFixed(1)} px wide`);
      }
      if (/_estimate$|^median$/.test(mark.kind)) estimates.push(...items.map((item) => ({item, name: mark.name})));
      const fills = {
        points: 'y', outliers: 'y', line: 'y', spread: 'y',
        dots: 'x', offscale: 'x', box: 'x',
      };
      const axis = fills[mark.kind] || (/^(ratio|change)_(band|interval|estimate)$/.test(mark.kind) ? 'x' : null);
      if (!axis || items.length === 0) continue;
      const background = group.parentElement.parentElement.querySelector(':scope > path.background');
      if (!background) continue;
      if (!panels.has(background)) panels.set(background, {axis, boxes: [], centres: new Set(), name: mark.name});
      const panel = panels.get(background);
      panel.boxes.push(...items);
      if (/^(points|outliers|dots|offscale)$/.test(mark.kind))
        for (const item of items)
          panel.centres.add(Math.round(axis === 'y' ? item.top + item.height / 2 : item.left + item.width / 2));
    }
    for (let i = 0; i < estimates.length; ++i)
      for (let j = i + 1; j < estimates.length; ++j) {
        const a = estimates[i].item, b = estimates[j].item;
        if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
          problems.push(`${chart.id}: ${estimates[i].name} and ${estimates[j].name} overlap`);
      }
    for (const [background, panel] of panels) {
      if (panel.centres.size === 1) continue;
      const area = box(background);
      const [low, high, size] = panel.axis === 'y' ? ['top', 'bottom', area.height] : ['left', 'right', area.width];
      const extent = Math.max(...panel.boxes.map((b) => b[high])) - Math.min(...panel.boxes.map((b) => b[low]));
      if (extent < MIN_FILL * size)
        problems.push(`${chart.id}: ${panel.name} fills ${extent.toFixed(0)} of ${size.toFixed(0)} px`);
    }
  }
  return problems;
}

async function check(page, url, expected) {
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => document.documentElement.hasAttribute('data-charts'),
                             null, {timeout: 20000});
  const drawnMs = Date.now() - started;
  if (await page.getAttribute('html', 'data-charts') !== 'drawn') fail('not every chart was drawn');

  for (const id of expected.charts) {
    if (await page.locator(`#${id} svg.marks`).count() !== 1) fail(`chart ${id} has no SVG`);
  }
  const counts = await page.evaluate(countMarks);
  for (const [names, want] of Object.entries(expected.marks)) {
    const got = names.split('+').reduce((sum, name) => sum + (counts[name] || 0), 0);
    if (got !== want) fail(`${names}: ${got} marks, expected ${want}`);
  }
  for (const problem of await page.evaluate(measureLegibility)) fail(problem);

  // Names from the report stay text: in the title, the tables and the charts' SVG.
  const page_facts = await page.evaluate(() => ({
    title: document.title,
    heading: document.querySelector('h1').textContent,
    tables: document.querySelectorAll('table').length,
    cells: [...document.querySelectorAll('td')].map((cell) => cell.textContent),
    svgText: [...document.querySelectorAll('svg text')].map((text) => text.textContent),
    injected: document.querySelectorAll('.injected').length + (window.injected ? 1 : 0),
  }));
  if (page_facts.title !== expected.title) fail(`title reads ${JSON.stringify(page_facts.title)}`);
  if (page_facts.heading !== expected.title) fail(`heading reads ${JSON.stringify(page_facts.heading)}`);
  if (page_facts.tables !== expected.tables) fail(`${page_facts.tables} tables, expected ${expected.tables}`);
  if (expected.cell && !page_facts.cells.includes(expected.cell)) fail('a table cell lost its text');
  for (const name of expected.series_names)
    if (!page_facts.svgText.some((text) => text.includes(name))) fail(`the series name ${JSON.stringify(name)} is not in a chart`);
  if (page_facts.injected) fail('markup from the report became part of the page');
  return drawnMs;
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'callbench-html-'));
  try {
    execFileSync(sample, [work, ...sampleArgs], {stdio: 'inherit'});
    const pages = JSON.parse(fs.readFileSync(path.join(work, 'pages.json'), 'utf8'));
    const context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
      executablePath: browserPath,
      headless: true,
      args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    try {
      let allowed = null;
      // The page itself is the only thing it may load.
      await context.route('**/*', (route) => {
        if (route.request().url() === allowed) return route.continue();
        fail(`request for ${route.request().url()}`);
        return route.abort();
      });
      for (const expected of pages) {
        const file = path.join(work, expected.file);
        allowed = pathToFileURL(file).href;
        const page = await context.newPage();
        current = expected.file;
        page.on('console', (message) => {
          if (message.type() === 'error' || message.type() === 'warning')
            fail(`console ${message.type()}: ${message.text()}`);
        });
        page.on('pageerror', (error) => fail(`page error: ${error.message}`));
        const drawnMs = await check(page, allowed, expected);
        console.log(`${expected.file}: ${fs.statSync(file).size} bytes, charts drawn ${drawnMs} ms after opening`);
        await page.close();
      }
    } finally {
      await context.close();
    }
  } finally {
    fs.rmSync(work, {recursive: true, force: true});
  }
}

main().then(() => {
  for (const failure of failures) console.log(`FAIL ${failure}`);
  console.log(failures.length ? `${failures.length} failed` : 'page checked');
  process.exit(failures.length ? 1 : 0);
}, (error) => {
  console.log(`FAIL ${error.message}`);
  process.exit(1);
});
