// What the browser tests share: a page that fails on any console error, the
// replay of a session's actions through the page, and the page's state.
import { test as base, expect } from '@playwright/test';
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

export const here = (name) => fileURLToPath(new URL(name, import.meta.url));
export const expected = JSON.parse(readFileSync(process.env.KORVAL_EXPECTED, 'utf8'));
export const sessions = (() => {
  const out = [];
  for (const line of readFileSync(here('sessions.txt'), 'utf8').split('\n')) {
    if (!line || line.startsWith('#')) continue;
    if (line.startsWith('=')) out.push({ name: line.replace(/^=\s*/, ''), actions: [] });
    else out.at(-1).actions.push(line);
  }
  return out;
})();

export const test = base.extend({
  page: async ({ page }, use) => {
    const problems = [];
    page.on('console', (message) => { if (message.type() === 'error') problems.push(message.text()); });
    page.on('pageerror', (error) => problems.push(String(error)));
    page.on('request', (request) => {
      if (!request.url().startsWith('http://127.0.0.1:') && !request.url().startsWith('blob:'))
        problems.push(`requête vers une autre origine : ${request.url()}`);
    });
    await page.goto('./');
    await expect(page.locator('body[data-pret="1"]')).toHaveCount(1);
    await use(page);
    expect(problems).toEqual([]);
  },
});
export { expect };

// The hidden levels sit in a folded section: unfold it before using one.
async function reach(page, id) {
  const control = page.locator(`#${id}`);
  if (!(await control.isVisible())) await page.locator('#VitessesCachees summary').click();
  return control;
}

// Shown fault messages are read and the message closed, as a user would.
async function takeErrors(page, errors) {
  const dialog = page.locator('#MessageErreur');
  if (await dialog.evaluate((d) => d.open)) {
    errors.push(...await page.locator('#TexteErreur p').allTextContents());
    await page.locator('#FermerErreur').click();
  }
}

export async function save(page, name) {
  const downloads = [];
  const listener = (download) => downloads.push(download);
  page.on('download', listener);
  await page.locator('#ButtonSauvegarder').click();
  await page.locator('#NomFichier').fill(name);
  await page.locator('#ConfirmerSauvegarde').click();
  await expect.poll(() => downloads.length).toBe(2);
  page.off('download', listener);
  const files = {};
  for (const download of downloads)
    files[download.suggestedFilename()] = readFileSync(await download.path());
  return files;
}

// Opens a file through « Ouvrir », answering « Oui » when the page asks
// whether to open a file without the form of a parameter file.
export async function open(page, path) {
  await page.locator('#ChoixFichier').setInputFiles(path);
  const bytes = readFileSync(path);
  const formed = bytes.length === 61 && bytes[0] === 0x45 && bytes[1] === 0x23
    && bytes[47] === 0xDE && bytes[48] === 0xBC;
  if (!formed) await page.locator('#OuvrirQuandMeme').click();
}

export async function replay(page, actions) {
  const errors = [];
  let saved = {};
  for (const action of actions) {
    const [verb, name] = action.split(' ');
    const rest = action.split(' ').slice(2).join(' ');
    if (verb === 'type') await (await reach(page, name)).fill(rest);
    else if (verb === 'click') await (await reach(page, name)).click();
    else if (verb === 'select') await (await lineInSight(page, Number(name))).click();
    else if (verb === 'dblclick') await (await lineInSight(page, Number(name))).dblclick();
    else if (verb === 'hide') await page.locator('#ListBoxValeurTimer').press('Escape');
    else if (verb === 'open') await open(page, here(`files/${name}`));
    else if (verb === 'save') saved = await save(page, name);
    await takeErrors(page, errors);
  }
  return { errors, saved };
}

// Every control of the model that the page shows: [text (null for a check box),
// checked (null but for a check box), marked, the mark's explanation].
export function pageState(page, names) {
  return page.evaluate((controls) => {
    const out = {};
    for (const name of controls) {
      const el = document.getElementById(name);
      if (!el || name === 'ListBoxValeurTimer') continue;
      const box = el.tagName === 'INPUT' && el.type === 'checkbox';
      const text = box ? null : el.tagName === 'INPUT' ? el.value
        : el.tagName === 'FIELDSET' ? el.querySelector('legend').textContent : el.textContent;
      const note = document.getElementById(`marque-${name}`);
      out[name] = [text, box ? el.checked : null, el.classList.contains('marque'),
        note ? note.textContent : ''];
    }
    return out;
  }, names);
}

// The list lays out only the lines in sight: a line is scrolled to, as a user
// would, before it is clicked.
export async function lineInSight(page, index) {
  await page.locator('#ListBoxValeurTimer').evaluate((list, n) => {
    const height = list.querySelector('[role="option"]').getBoundingClientRect().height;
    if (n * height < list.scrollTop || (n + 1) * height > list.scrollTop + list.clientHeight) list.scrollTop = n * height;
  }, index);
  return page.locator(`#ligne-${index}`);
}

// Every line of the list as the page shows it, read while scrolling it from top
// to bottom; each laid-out line must sit at its own place and tell it
// (aria-posinset, aria-setsize), or the list read has holes or wrong lines.
export async function listLines(page) {
  const { lines, sizes, misplaced } = await page.locator('#ListBoxValeurTimer').evaluate(async (list) => {
    const out = [];
    const sizes = new Set();
    const misplaced = [];
    list.scrollTop = 0;
    for (;;) {
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
      const top = list.querySelector('.hauteur').getBoundingClientRect().top;
      for (const option of list.querySelectorAll('[role="option"]')) {
        const index = Number(option.getAttribute('aria-posinset')) - 1;
        const box = option.getBoundingClientRect();
        if (option.id !== `ligne-${index}` || Math.abs(box.top - top - index * box.height) > 0.5) misplaced.push(option.id);
        sizes.add(option.getAttribute('aria-setsize'));
        out[index] = option.querySelector('.texte').textContent;
      }
      if (list.scrollTop + list.clientHeight >= list.scrollHeight - 1) break;
      list.scrollTop += list.clientHeight;
    }
    return { lines: Array.from(out, (line) => line ?? null), sizes: [...sizes], misplaced };
  });
  expect(misplaced).toEqual([]);
  expect(sizes).toEqual(lines.length ? [String(lines.length)] : []);
  return lines;
}
