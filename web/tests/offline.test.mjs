// The page as an installed application: it works with the network off once
// loaded, and axe-core finds nothing to report in any of its states.
import AxeBuilder from '@axe-core/playwright';
import { readdirSync } from 'node:fs';
import { test, expect, here } from './page.mjs';

const site = process.env.KORVAL_SITE || here('../../build-web/site');

test('a reload with the network off still works', async ({ page, context }) => {
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload(); // now under the worker's control
  await expect(page.locator('body[data-pret="1"]')).toHaveCount(1);
  expect(await page.evaluate(() => navigator.serviceWorker.controller !== null)).toBe(true);
  // Every file of the site is in the worker's cache, not only what this load needed.
  const files = readdirSync(site).filter((name) => name !== 'sw.js'); // the browser keeps the worker itself
  const cached = await page.evaluate((names) => Promise.all(names.map(async (name) => !!(await caches.match(name)))), files);
  expect(files.filter((name, i) => !cached[i])).toEqual([]);
  await context.setOffline(true);
  await page.reload();
  await expect(page.locator('body[data-pret="1"]')).toHaveCount(1);
  await page.locator('#EditPeriodeTimer').click();
  await expect(page.locator('#ligne-0')).toHaveAttribute('aria-setsize', '293');
  await context.setOffline(false);
});

for (const [state, prepare] of [
  ['at start-up', async () => {}],
  ['with the list open, the hidden levels unfolded and a mark', async (page) => {
    await page.locator('#EditPwm3').fill('300');
    await page.locator('#VitessesCachees summary').click();
    await page.locator('#EditPeriodeTimer').press('F4');
  }],
  ['with a fault shown', async (page) => {
    await page.locator('#EditPasParTour').fill('0');
    await page.locator('#EditPeriodeTimer').click();
    await expect(page.locator('#MessageErreur')).toBeVisible();
  }],
  ['in the save dialog', async (page) => page.locator('#ButtonSauvegarder').click()],
]) {
  test(`axe-core reports no violation ${state}`, async ({ page }) => {
    test.setTimeout(240000); // axe checks the contrast of every line of the list: slow on a busy machine
    await prepare(page);
    const { violations } = await new AxeBuilder({ page }).analyze();
    expect(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`)).toEqual([]);
  });
}
