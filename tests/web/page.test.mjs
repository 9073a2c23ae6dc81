// The browser page in headless Chromium, used as a user would: by its
// controls' accessible names and the keyboard. Every file it hands out is
// compared byte for byte with what quellbit-cli writes; the core's own rules
// are the core tests' business.
import {after, before, test} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const PAGE = process.env.QUELLBIT_PAGE;
const CLI = process.env.QUELLBIT_CLI;
const DATA = process.env.QUELLBIT_TEST_DATA;
assert.ok(fs.existsSync(PAGE), `${PAGE} is missing: "make web" builds it`);

let browser;
before(async () => {
  browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox']});
});
after(() => browser?.close());

const cli = (...args) => execFileSync(CLI, args);
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A fresh page in a context of its own, downloading into a new folder. Every
// request it makes once ready is noted; close() fails the test on any.
async function openPage({scale = 1} = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({width: 1000, height: 900, deviceScaleFactor: scale});
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quellbit-page-'));
  const session = await browser.target().createCDPSession();
  // Each download is saved under its own id and counted once complete.
  await session.send('Browser.setDownloadBehavior',
    {behavior: 'allowAndName', downloadPath: folder, browserContextId: context.id, eventsEnabled: true});
  const suggested = new Map(), complete = new Map();
  session.on('Browser.downloadWillBegin', (e) => suggested.set(e.guid, e.suggestedFilename));
  session.on('Browser.downloadProgress', (e) => {
    if (e.state === 'completed') complete.set(suggested.get(e.guid), path.join(folder, e.guid));
  });
  const late = [];
  let ready = false;
  // The page's own policy forbids every request; without it here, any the
  // script attempts reaches the interception below and is seen.
  await page.setBypassCSP(true);
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    if (ready) late.push(request.url());
    if (/^(https?|wss?|ftp):/.test(request.url())) request.abort();
    else request.continue();
  });
  await page.goto(pathToFileURL(PAGE).href);
  await page.waitForSelector('body[data-ready=true]');
  await page.bringToFront(); // the keyboard's page
  ready = true;
  return {
    page,
    // The file the page downloaded under `name`, once it is complete.
    async download(name) {
      for (let i = 0; i < 200 && !complete.has(name); ++i) await pause(50);
      assert.ok(complete.has(name), `no download named ${name}: ${[...suggested.values()]}`);
      const bytes = fs.readFileSync(complete.get(name));
      complete.delete(name);
      return bytes;
    },
    async close() {
      await session.detach();
      await context.close();
      fs.rmSync(folder, {recursive: true, force: true});
      // A download is a blob: of the page's own making; anything else went out.
      assert.deepEqual(late.filter((url) => !url.startsWith('blob:')), []);
    },
  };
}

async function openFiles(page, files, how = () => page.click('aria/Open pictures')) {
  const waiting = page.waitForFileChooser();
  await pause(100); // the chooser is intercepted from here on
  const [chooser] = await Promise.all([waiting, how()]);
  await chooser.accept(files);
  const names = files.map((file) => path.basename(file));
  await page.waitForFunction((wanted) => {
    const known = [...document.querySelectorAll('#File1 option, #DataFile option, #PrepareSource option')].map((o) => o.value);
    return wanted.every((name) => known.includes(name));
  }, {}, names);
}

const value = (page, name) => page.$eval(`aria/${name}`, (element) => element.value);
const readouts = (page) =>
  Promise.all(['Height :', 'Width :', 'Color :', 'Progress :', 'Status :', 'Output File :'].map((n) => value(page, n)));

async function takeIn(page, name) {
  await page.select('aria/Files Name (*.bmp):', name);
  await page.focus('aria/Files Name (*.bmp):');
  await page.keyboard.press('Enter');
}

test('the real bitmaps convert to what quellbit-cli writes, Normal and Inverse', async () => {
  const names = ['gimp_v5_blank.bmp', 'gimp_v5_shape.bmp', 'imv4_text.bmp', 'nb_allwhite.bmp', 'pil_vstripes.bmp'];
  const {page, download, close} = await openPage();
  await openFiles(page, names.map((name) => path.join(DATA, name)));
  for (const name of names) {
    // A double-click, as on the window's list.
    await page.select('#File1', name);
    await page.click(`#File1 option[value="${name}"]`, {count: 2});
    await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
    for (const mode of ['Normal', 'Inverse']) {
      await page.click(`aria/${mode}`);
      await page.click('aria/Convert');
      const output = name.replace('.bmp', '.txt').replace(/^/, 'lcd_');
      assert.deepEqual(await readouts(page), ['128', '240', '1 Bits  (2 Colors)', '100', 'Successed', output], name);
      const expected = cli('convert', ...(mode === 'Inverse' ? ['--inverse'] : []), '-o', '-', path.join(DATA, name));
      assert.ok((await download(output)).equals(expected), `${name} ${mode}`);
    }
  }
  await close();
});

test('a refused picture shows the size error, then the page resets', async () => {
  const {page, close} = await openPage();
  await openFiles(page, [path.join(DATA, 'pil_vstripes.bmp'), path.join(DATA, 'prepare', 'bmp-24-pillow.bmp')]);
  await takeIn(page, 'pil_vstripes.bmp');
  await page.waitForFunction(() => document.getElementById('HeightValue').value === '128');
  await takeIn(page, 'bmp-24-pillow.bmp');
  const dialog = await page.waitForSelector('dialog[open]');
  assert.deepEqual(await dialog.evaluate((d) => [d.matches(':modal'), d.querySelector('h2').innerText,
    d.querySelector('p').innerText, [...d.querySelectorAll('button')].map((b) => b.innerText)]),
  [true, 'Picture Size Error', 'Picture Resolution is limit to 240 x 128 pixels (Width x Height) and \n2 Colors Bitmap.', ['OK']]);
  // Until OK, the picture accepted before stays (behind the modal dialog,
  // out of the accessibility tree).
  assert.equal(await page.$eval('#HeightValue', (o) => o.value), '128');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.querySelector('dialog[open]'));
  assert.deepEqual(await readouts(page), ['', '', '', '0', '', '']);
  assert.deepEqual(await page.evaluate(() => ['ConvertButton', 'PreviewButton', 'InverseOption', 'NormalOption']
    .map((id) => [document.getElementById(id).disabled, document.getElementById(id).checked ?? null])),
  [[true, null], [true, null], [true, false], [false, true]]);
  const painted = await page.$eval('#PreviewPic', (c) =>
    c.getContext('2d').getImageData(0, 0, c.width, c.height).data.some((v) => v !== 0));
  assert.equal(painted, false);
  await close();
});

async function prepared(page) {
  await page.waitForFunction(() => !document.getElementById('SaveBitmapButton').disabled);
}

test('Prepare: a PNG gives the dots quellbit-cli prepare gives, a JPEG joins the list', async () => {
  const {page, download, close} = await openPage();
  const png = path.join(DATA, 'web', 'ramp.png');
  await openFiles(page, [png, path.join(DATA, 'web', 'halves.jpg')]);
  for (const [tone, args] of [['floyd-steinberg', ['--dither', 'floyd-steinberg']], ['bayer', ['--dither', 'bayer', '--fill']]]) {
    await page.select('aria/Picture:', 'ramp.png');
    if (args.includes('--fill')) await page.click('aria/Fill');
    await page.select('aria/Tone:', tone);
    await pause(100);
    await prepared(page);
    await page.click('aria/Download bitmap');
    const expected = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'quellbit-cli-')), 'ramp-lcd.bmp');
    cli('prepare', ...args, '-o', expected, png);
    assert.ok((await download('ramp-lcd.bmp')).equals(fs.readFileSync(expected)), tone);
  }

  // Left half black, right half white, twice the canvas: fitted, the left
  // 120 columns are black whatever the JPEG's blur near the edge.
  await page.select('aria/Picture:', 'halves.jpg');
  await page.click('aria/Fit');
  await page.select('aria/Tone:', 'threshold');
  await pause(100);
  await prepared(page);
  const columns = await page.$eval('#PreparePic', (c) => {
    const data = c.getContext('2d').getImageData(0, 0, 240, 128).data;
    const at = (x, y) => data[(y * 240 + x) * 4];
    let left = true, right = true;
    for (let y = 0; y < 128; ++y) {
      for (let x = 0; x < 116; ++x) left &&= at(x, y) === 0;
      for (let x = 124; x < 240; ++x) right &&= at(x, y) === 255;
    }
    return [left, right];
  });
  assert.deepEqual(columns, [true, true]);
  await page.click('aria/Add to list');
  await takeIn(page, 'halves-lcd.bmp');
  await page.waitForFunction(() => document.getElementById('StatusValue').value === '' && !document.getElementById('ConvertButton').disabled);
  assert.deepEqual((await readouts(page)).slice(0, 3), ['128', '240', '1 Bits  (2 Colors)']);
  await close();
});

test('a data file is previewed dot for dot, one dot a device pixel, and a dot tells its byte', async () => {
  // Dots (0, 0), (15, 0) and (239, 0) black: items 01H and 80H on line 1,
  // 80H at line 4, item 6; the rest 00H.
  const zero = '        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n';
  const text = '        DB 01H,80H,00H,00H,00H,00H,00H,00H;\r\n' + zero + zero
    + '        DB 00H,00H,00H,00H,00H,80H,00H,00H;\r\n' + zero.repeat(476);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quellbit-data-'));
  const file = path.join(folder, 'lcd_old.txt');
  fs.writeFileSync(file, text);
  const {page, download, close} = await openPage({scale: 1.25});
  await openFiles(page, [file]);
  await page.click('aria/Preview');
  await page.waitForSelector('dialog[open]');
  assert.equal(await page.$eval('dialog[open] h2', (h) => h.innerText), 'LCD Preview');
  await page.click('aria/Show');
  const black = await page.$eval('#LcdPic', (c) => {
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const found = [];
    for (let i = 0; i < 240 * 128; ++i) {
      const [r, g, b] = data.subarray(i * 4, i * 4 + 3);
      if (r === 0 && g === 0 && b === 0) found.push([i % 240, Math.floor(i / 240)]);
      else if (!(r === 0 && g === 128 && b === 0)) return `dot ${i} is ${r},${g},${b}`;
    }
    return [c.width, c.height, c.getBoundingClientRect().width * devicePixelRatio, found];
  });
  assert.deepEqual(black, [240, 128, 240, [[0, 0], [15, 0], [239, 0]]]);

  const box = await (await page.$('#LcdPic')).boundingBox();
  await page.mouse.move(box.x + 239.5 / 1.25, box.y + 0.5 / 1.25);
  await page.waitForFunction(() => document.getElementById('DotInfo').value !== '');
  assert.equal(await page.$eval('#DotInfo', (o) => o.value), 'dot (239, 0): line 4, item 6, bit 7 of 80H');

  await page.select('aria/Magnification', '3');
  assert.deepEqual(await page.$eval('#LcdPic', (c) => [c.width, c.height, Array.from(c.getContext('2d').getImageData(45, 0, 3, 1).data)]),
    [720, 384, [0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255]]);
  await page.click('aria/Save as bitmap');
  assert.ok((await download('lcd_old.bmp')).equals(cli('render', '-o', '-', '--format', 'bmp', file)));
  await close();
});

test('a conversion by keyboard alone', async () => {
  const {page, download, close} = await openPage();
  const picture = path.join(DATA, 'imv4_text.bmp');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Open pictures');
  await openFiles(page, [picture], () => page.keyboard.press('Enter'));
  await page.keyboard.press('Tab'); // Open folder
  await page.keyboard.press('Tab'); // the list, its first name selected
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
  await page.keyboard.press('Tab'); // Normal
  await page.keyboard.press('ArrowRight'); // Inverse
  await page.keyboard.press('Tab'); // Convert
  await page.keyboard.press('Space');
  await page.waitForFunction(() => document.getElementById('StatusValue').value !== '');
  assert.equal(await value(page, 'Status :'), 'Successed');
  assert.ok((await download('lcd_imv4_text.txt')).equals(cli('convert', '--inverse', '-o', '-', picture)));
  await close();
});
