// The browser page's measurements in headless Chromium, each median beside
// its baseline in the same run:
//   the page file's size                       (limit: 400 KB)
//   navigation to ready, beside a plain HTML page of the same size
//                                              (limit: 300 ms)
//   one Convert in the page, beside the native core on the same picture
//                                              (limit: 3 times the native)
// Usage: node bench/web_bench.mjs PAGE NATIVE_PROGRAM PICTURE.bmp
// Exits 1 when the page is over its size; times over their limits are
// reported as OVER (they follow the machine's load).
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const [pageFile, native, picture] = process.argv.slice(2);
const RUNS = 15;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
function report(what, value, baseline, limit, unit) {
  const ok = value <= limit;
  console.log(`${what.padEnd(28)} ${value.toFixed(2).padStart(9)} ${unit}   ${baseline.padEnd(44)} limit ${limit.toFixed(2)} ${unit}  ${ok ? 'ok' : 'OVER'}`);
  return ok;
}

const size = fs.statSync(pageFile).size;
const small = report('page file', size / 1000, `(${size} bytes, WebAssembly and script inside)`, 400, 'KB');

// The same number of bytes, as markup and one inert script, ready when
// that script has run.
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quellbit-bench-'));
const plain = path.join(folder, 'plain.html');
const head = '<!doctype html><html><head><meta charset="utf-8"><title>plain</title></head><body><p>plain</p><script>const padding = "';
const tail = '"; document.body.dataset.ready = "true"; performance.mark("quellbit-ready");</script></body></html>';
fs.writeFileSync(plain, head + 'A'.repeat(Math.max(0, size - head.length - tail.length)) + tail);

const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox']});
try {
  async function readyTime(file) {
    const page = await browser.newPage();
    await page.goto(pathToFileURL(file).href);
    await page.waitForSelector('body[data-ready=true]');
    const ms = await page.evaluate(() => performance.getEntriesByName('quellbit-ready')[0].startTime);
    await page.close();
    return ms;
  }
  const ready = [], baseline = [];
  for (let i = 0; i < RUNS; ++i) {
    ready.push(await readyTime(pageFile));
    baseline.push(await readyTime(plain));
  }
  report('navigation to ready', median(ready), `plain page of the same size: ${median(baseline).toFixed(2)} ms`, 300, 'ms');

  // Convert in the page, 50 at a time, beside 50 by the native core, taken
  // in turns so that both see the same load: the core's scan as the page's
  // Convert runs it (the data file made in the core's memory, as the native
  // core makes it in its own); then the copy the page keeps, which costs
  // what the browser takes to make a new array; and the whole button press
  // (read-outs, and the download handed to the browser, told to refuse it).
  const page = await browser.newPage();
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'deny'});
  await page.goto(pathToFileURL(pageFile).href);
  await page.waitForSelector('body[data-ready=true]');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#OpenButton')]);
  await chooser.accept([picture]);
  await page.waitForFunction(() => document.getElementById('File1').options.length === 1);
  await page.focus('#File1');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
  // The page's code as it runs once warm: V8 compiles hot WebAssembly again,
  // optimised, in the background.
  await page.evaluate(() => {
    const until = performance.now() + 2000;
    while (performance.now() < until) Module.convert(false);
  });
  const scan = [], kept = [], press = [], nativeScan = [];
  for (let sample = 0; sample < RUNS; ++sample) {
    const [inPage, copied, whole] = await page.evaluate(() => {
      const time = (work) => {
        const start = performance.now();
        for (let i = 0; i < 50; ++i) work();
        return ((performance.now() - start) * 1000) / 50;
      };
      const button = document.getElementById('ConvertButton');
      return [time(() => Module.convert(false)), time(() => Module.convert(false).slice()), time(() => button.click())];
    });
    scan.push(inPage);
    kept.push(copied);
    press.push(whole);
    nativeScan.push(Number(execFileSync(native, [picture, '50']).toString()));
  }
  const nativeMicros = median(nativeScan);
  report('one Convert in the page', median(scan), `native core, same picture: ${nativeMicros.toFixed(2)} us`, 3 * nativeMicros, 'us');
  console.log(`${'  with the copy it keeps'.padEnd(28)} ${median(kept).toFixed(2).padStart(9)} us   (the browser making a new array of 21,600 bytes)`);
  console.log(`${'  the whole button press'.padEnd(28)} ${median(press).toFixed(2).padStart(9)} us   (with the read-outs and the download)`);
} finally {
  await browser.close();
  fs.rmSync(folder, {recursive: true, force: true});
}
console.log(`load average ${os.loadavg().map((l) => l.toFixed(1)).join(' ')} on ${os.cpus().length} cores`);
process.exit(small ? 0 : 1);
