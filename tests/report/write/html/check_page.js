// Opens each page written by callbench-report-html-sample in headless Chromium
// from file:// and checks what it drew against what the sample said it must:
// every chart drawn, each with its marks, no error logged, nothing fetched.
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

// Items per mark group, named as the charts name their marks ("dots_2" counts as "dots").
function countMarks() {
  const counts = {};
  for (const group of document.querySelectorAll('g.role-mark')) {
    for (const name of group.classList) {
      const match = /^(.*?)(_\d+)?_marks$/.exec(name);
      if (match) counts[match[1]] = (counts[match[1]] || 0) + group.childElementCount;
    }
  }
  return counts;
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
  for (const [name, want] of Object.entries(expected.marks)) {
    if ((counts[name] || 0) !== want) fail(`${name}: ${counts[name] || 0} marks, expected ${want}`);
  }

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
  if (!page_facts.svgText.includes(expected.series_name)) fail('the series name is not in a chart');
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
