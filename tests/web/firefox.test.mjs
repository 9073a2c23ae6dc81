// The browser page in headless Firefox, opened straight from disk: the same
// WebAssembly and script as in Chromium, driven over WebDriver BiDi. A
// picture is taken in and converted, and the file Firefox saves is compared
// byte for byte with what quellbit-cli writes; the page's other workings are
// the Chromium tests' business.
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

const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'quellbit-firefox-'));
let browser;
before(async () => {
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    // Downloads go to the folder above without asking.
    extraPrefsFirefox: {
      'browser.download.folderList': 2,
      'browser.download.dir': downloads,
      'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false,
    },
  });
});
after(async () => {
  await browser?.close();
  fs.rmSync(downloads, {recursive: true, force: true});
});

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function saved(name) {
  const file = path.join(downloads, name);
  for (let i = 0; i < 200 && !fs.existsSync(file); ++i) await pause(50);
  assert.ok(fs.existsSync(file), `Firefox saved no ${name}: ${fs.readdirSync(downloads)}`);
  await pause(200); // written whole
  return fs.readFileSync(file);
}

test('opened from disk in Firefox, a bitmap converts to what quellbit-cli writes', async () => {
  const page = await browser.newPage();
  await page.goto(pathToFileURL(PAGE).href);
  await page.waitForSelector('body[data-ready=true]');
  const picture = path.join(DATA, 'imv4_text.bmp');
  await (await page.$('#OpenInput')).uploadFile(picture);
  await page.waitForFunction(() => document.getElementById('File1').options.length === 1);
  await page.focus('#File1');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
  assert.deepEqual(await page.$$eval('#HeightValue, #WidthValue, #ColorValue', (outputs) => outputs.map((o) => o.value)),
    ['128', '240', '1 Bits  (2 Colors)']);
  await page.click('#InverseOption');
  await page.click('#ConvertButton');
  await page.waitForFunction(() => document.getElementById('StatusValue').value === 'Successed');
  assert.ok((await saved('lcd_imv4_text.txt')).equals(execFileSync(CLI, ['convert', '--inverse', '-o', '-', picture])));
  await page.close();
});
