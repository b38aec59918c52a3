// The page's colours and shared words are the tool's: scheme.css, written at
// build time, holds every role of the colour scheme with its day colour and
// its night level and nothing else, the page paints with it, the words the
// windows share come from the model, and a held night key switches once.
import { test, expect } from './page.mjs';

// The compiled scheme, from a module of its own, and what the browser makes
// of scheme.css: each role's property resolved to a colour by day and by
// night, and the names each of its two blocks declares.
async function schemeAndSheet(page) {
  return page.evaluate(async () => {
    const { default: createKorval } = await import('./korval.js');
    const form = new (await createKorval()).WebForm();
    const scheme = form.colourScheme();
    const root = document.documentElement;
    const probe = document.body.appendChild(document.createElement('i'));
    const resolve = (property) => {
      probe.style.color = `var(${property})`;
      return getComputedStyle(probe).color;
    };
    const value = (property) => getComputedStyle(root).getPropertyValue(property).trim();
    const sheets = [...document.styleSheets].map((sheet) => sheet.href.replace(/.*\//, ''));
    const declared = {};
    for (const rule of document.styleSheets[sheets.indexOf('scheme.css')].cssRules)
      declared[rule.selectorText] = [...rule.style].sort();
    root.removeAttribute('data-nuit');
    const day = Object.fromEntries(scheme.roles.map(({ name }) => [name, resolve(`--${name}`)]));
    const widths = { day: value('--marque-largeur') };
    root.setAttribute('data-nuit', '');
    const night = Object.fromEntries(scheme.roles.map(({ name }) => [name, resolve(`--nuit-${name}`)]));
    widths.mark = value('--nuit-marque-largeur');
    widths.period = value('--nuit-periode-cadre-largeur');
    root.removeAttribute('data-nuit');
    probe.remove();
    return { scheme, sheets, declared, day, night, widths };
  });
}

test('scheme.css gives every role its day colour and night level, before app.css', async ({ page }) => {
  const { scheme, sheets, declared, day, night, widths } = await schemeAndSheet(page);
  expect(scheme.roles.length).toBeGreaterThan(10);
  for (const { name, day: [r, g, b], night: level } of scheme.roles) {
    expect(day[name], `--${name}`).toBe(`rgb(${r}, ${g}, ${b})`);
    expect(night[name], `--nuit-${name}`).toBe(`rgb(${level}, 0, 0)`);
  }
  expect(widths).toEqual({ day: `${scheme.markWidthDay}px`, mark: `${scheme.markWidthNight}px`,
    period: `${scheme.periodFrameWidthNight}px` });
  // Nothing more: no property left over from a role the scheme has no more.
  const names = scheme.roles.map(({ name }) => name);
  expect(declared).toEqual({
    ':root': [...names.map((name) => `--${name}`), '--marque-largeur'].sort(),
    ':root[data-nuit]': [...names.map((name) => `--nuit-${name}`), '--nuit-marque-largeur',
      '--nuit-periode-cadre-largeur'].sort(),
  });
  expect(sheets.indexOf('scheme.css')).toBeLessThan(sheets.indexOf('app.css'));
});

test('the page paints its roles with the scheme, by day and by night', async ({ page }) => {
  const { scheme } = await schemeAndSheet(page);
  const role = Object.fromEntries(scheme.roles.map((entry) => [entry.name, entry]));
  const colour = (name, night) => {
    const { day: [r, g, b], night: level } = role[name];
    return night ? `rgb(${level}, 0, 0)` : `rgb(${r}, ${g}, ${b})`;
  };
  await page.locator('#EditPwm3').fill('300'); // marked
  for (const night of [false, true]) {
    if (night) await page.locator('#ButtonNuit').click();
    for (const [selector, property, name] of [
      ['html', 'backgroundColor', 'fond'],
      ['#EditJeuAD', 'backgroundColor', 'champ'],
      ['#EditJeuAD', 'color', 'texte'],
      ['#EditXAD1', 'color', 'resultat-texte'],
      ['#EditPeriodeTimer', 'backgroundColor', 'periode'],
      ['#EditPeriodeTimer', 'color', 'periode-texte'],
      ['#EditPwm3', 'outlineColor', 'marque'],
      ['#GroupBox1', 'borderTopColor', 'cadre'],
    ]) {
      const shown = await page.locator(selector).evaluate((el, p) => getComputedStyle(el)[p], property);
      expect(shown, `${selector} ${property} ${night ? 'by night' : 'by day'}`).toBe(colour(name, night));
    }
  }
  const period = await page.locator('#EditPeriodeTimer').evaluate((el) => {
    const style = getComputedStyle(el);
    return `${style.borderTopStyle} ${style.borderTopWidth} ${style.borderTopColor}`;
  });
  expect(period).toBe(`double ${scheme.periodFrameWidthNight}px ${colour('periode-cadre', true)}`);
  expect(await page.locator('#EditXAD1').evaluate((el) => getComputedStyle(el).backgroundColor))
    .toBe(colour('resultat', true));
});

test('the tool buttons, « Comparer »\'s dialog and the answers take the model\'s words', async ({ page }) => {
  const model = await page.evaluate(async () => {
    const { default: createKorval } = await import('./korval.js');
    const form = new (await createKorval()).WebForm();
    return { buttons: form.toolButtons(), comparison: form.comparisonTexts(), answers: form.questionButtons() };
  });
  expect(model.buttons.map(({ name }) => name)).toEqual(['ButtonMonture', 'ButtonComparer', 'ButtonCarte', 'ButtonNuit']);
  const text = (id) => page.locator(`#${id}`).evaluate((el) => el.textContent);
  for (const { name, caption } of model.buttons) expect(await text(name)).toBe(caption);
  // « Comparer… »'s help, without the windows' Alt+C the page does not have.
  const { help } = model.buttons.find(({ name }) => name === 'ButtonComparer');
  expect(help).toMatch(/^Compare [^()]+$/);
  await expect(page.locator('#ButtonComparer')).toHaveAttribute('title', help);
  expect(await text('AideComparer')).toBe(help);
  expect(await text('TitreComparer')).toBe(model.comparison.title);
  expect(await text('ButtonCopier')).toBe(model.comparison.copy);
  expect(await text('FermerComparaison')).toBe(model.comparison.close);
  await expect(page.locator('#ListeDifferences')).toHaveAttribute('aria-label', model.comparison.listName);
  expect(await text('OuvrirQuandMeme')).toBe(model.answers.yes);
  expect(await text('NePasOuvrir')).toBe(model.answers.no);
  expect(await text('FermerErreur')).toBe(model.answers.ok);
});

test('Alt+N held down switches the night look once', async ({ page }) => {
  await page.evaluate(() => {
    window.repeats = [];
    document.addEventListener('keydown', (event) => {
      if (event.code === 'KeyN') window.repeats.push(event.repeat);
    }, { capture: true });
  });
  const night = page.locator('html[data-nuit]');
  await page.keyboard.down('Alt');
  await page.keyboard.down('KeyN');
  await expect(night).toHaveCount(1);
  for (let i = 0; i < 3; ++i) await page.keyboard.down('KeyN'); // the key held: auto-repeat
  await page.keyboard.up('KeyN');
  await expect(night).toHaveCount(1);
  await page.keyboard.down('KeyN'); // pressed again
  await page.keyboard.up('KeyN');
  await page.keyboard.up('Alt');
  await expect(night).toHaveCount(0);
  expect(await page.evaluate(() => window.repeats)).toEqual([false, true, true, true, false]);
  await page.keyboard.press('Shift+Alt+KeyN'); // not the night key
  await expect(night).toHaveCount(0);
});
