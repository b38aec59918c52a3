// Pictures of the page for the README: docs/web-desktop.png (list open, a
// mark shown), docs/web-phone.png (the same, V3 to V6 unfolded, the whole
// page), docs/web-monture.png (the mount assistant open) and
// docs/web-calibration.png (its calibration tab), docs/web-night.png (the
// desktop picture by night), in Debian's chromium, headless.
// usage: node bench/screenshots.mjs   (from web/, after the site is built)
import { chromium } from '@playwright/test';
import { spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const port = 8027;
const site = process.env.KORVAL_SITE || fileURLToPath(new URL('../../build-web/site', import.meta.url));
const docs = fileURLToPath(new URL('../../docs/', import.meta.url));
const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', site, String(port)],
  { stdio: 'ignore' });
await new Promise((resolve) => setTimeout(resolve, 800));
// The page ready, or what it said instead (its start failed).
async function ready(page) {
  await page.locator('body[data-pret="1"], #Chargement:has-text("pas pu")').first().waitFor();
  if (await page.locator('body[data-pret="1"]').count() === 0)
    throw new Error(`${page.url()}: ${await page.locator('#Chargement').textContent()}`);
}
const browser = await chromium.launch({ executablePath: process.env.KORVAL_CHROMIUM || '/usr/bin/chromium' });
try {
  for (const [name, viewport, full] of [['web-desktop', { width: 1280, height: 720 }, false],
    ['web-phone', { width: 375, height: 812 }, true]]) {
    const page = await browser.newPage({ viewport, deviceScaleFactor: 1 });
    page.on('console', (message) => console.log(`${name}: ${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => console.log(`${name}: ${error}`));
    await page.goto(`http://127.0.0.1:${port}/`);
    await ready(page);
    await page.locator('#EditPwm3').fill('300');
    if (full) await page.locator('#VitessesCachees summary').click();
    await page.locator('#EditPeriodeTimer').click();
    await page.screenshot({ path: `${docs}${name}.png`, fullPage: full });
    await page.close();
  }
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 }, deviceScaleFactor: 1 });
  await page.goto(`http://127.0.0.1:${port}/`);
  await ready(page);
  await page.locator('#ButtonMonture').click();
  for (const [id, text] of [['EditDents', '144'], ['EditPasMoteur', '200'], ['EditReduction', '128']])
    await page.locator(`#${id}`).fill(text);
  await page.screenshot({ path: `${docs}web-monture.png` });
  await page.locator('#OngletCalibration').click();
  for (const [id, text] of [['EditDerive', '15.04'], ['EditDureeMesure', '1:00']])
    await page.locator(`#${id}`).fill(text);
  await page.screenshot({ path: `${docs}web-calibration.png` });
  await page.close();
  const night = await browser.newPage({ viewport: { width: 1280, height: 720 }, deviceScaleFactor: 1 });
  await night.goto(`http://127.0.0.1:${port}/`);
  await ready(night);
  await night.locator('#ButtonNuit').click();
  await night.locator('#EditPwm3').fill('300');
  await night.locator('#EditPeriodeTimer').click();
  await night.screenshot({ path: `${docs}web-night.png` });
  await night.close();
} finally {
  await browser.close();
  server.kill();
}
