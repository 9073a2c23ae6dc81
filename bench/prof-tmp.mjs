import puppeteer from 'puppeteer-core';
import {pathToFileURL} from 'node:url';
const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', args: ['--no-sandbox']});
const page = await browser.newPage();
await page.goto(pathToFileURL(process.argv[2]).href);
await page.waitForSelector('body[data-ready=true]');
const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#OpenButton')]);
await chooser.accept(['samples/logo.bmp']);
await page.waitForFunction(() => document.getElementById('File1').options.length === 1);
await page.focus('#File1'); await page.keyboard.press('Enter');
await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
console.log(await page.evaluate(() => {
  const out = [];
  for (let k = 0; k < 40; ++k) { const s = performance.now(); for (let i = 0; i < 50; ++i) Module.convert(false); out.push((performance.now() - s) * 1000 / 50); }
  out.sort((a, b) => a - b);
  return {min: out[0], q1: out[10], med: out[20]};
}));
await browser.close();
