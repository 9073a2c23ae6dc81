// The README's picture of the browser page (make screenshots): a sample
// converted, a photo-like picture prepared, and the LCD preview with a dot
// pointed at, in headless Chromium.
// Usage: node tools/page_screenshot.mjs PAGE OUT.png OUT-preview.png
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const [pageFile, mainShot, previewShot] = process.argv.slice(2);
const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox']});
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1000, height: 680, deviceScaleFactor: 1});
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'deny'});
  await page.goto(pathToFileURL(pageFile).href);
  await page.waitForSelector('body[data-ready=true]');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#OpenButton')]);
  await chooser.accept(['samples/logo.bmp', 'samples/checkerboard.bmp', 'samples/test_pattern.bmp', 'tests/data/web/ramp.png']
    .map((file) => path.resolve(file)));
  await page.waitForFunction(() => document.getElementById('File1').options.length === 3);
  await page.select('#File1', 'logo.bmp');
  await page.focus('#File1');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('ConvertButton').disabled);
  await page.select('#Tone', 'floyd-steinberg');
  await page.waitForFunction(() => !document.getElementById('SaveBitmapButton').disabled);
  await page.click('#ConvertButton');
  await page.screenshot({path: mainShot});

  await page.click('#PreviewButton');
  await page.click('#ShowButton');
  await page.select('#Magnification', '2');
  const box = await (await page.$('#LcdPic')).boundingBox();
  await page.mouse.move(box.x + 2 * 60 + 1, box.y + 2 * 40 + 1);
  const dialog = await page.$('dialog[open]');
  await dialog.screenshot({path: previewShot});
} finally {
  await browser.close();
}
