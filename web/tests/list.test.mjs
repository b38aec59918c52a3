// The candidate list as a user sees it: the drift in a column of its own,
// whole words and an inner margin at a phone's width, and a list that lays out
// only the lines in sight yet moves, scrolls and applies any of its lines.
import { test, expect, expected, lineInSight } from './page.mjs';

const long = [['EditFrequenceQuartz', '20000000'], ['EditDureeTour', '55090'], ['EditPasParTour', '180065']];

async function openList(page, typed) {
  for (const [name, text] of typed) await page.locator(`#${name}`).fill(text);
  await page.locator('#EditPeriodeTimer').click();
  await expect(page.locator('#ligne-0')).toBeVisible();
}

// Where the laid-out lines' columns start, with the list scrolled to `fraction` of its height.
function columnsAt(page, fraction) {
  return page.locator('#ListBoxValeurTimer').evaluate(async (list, part) => {
    list.scrollTop = part * (list.scrollHeight - list.clientHeight);
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
    const options = [...list.querySelectorAll('.lignes [role="option"]')];
    return {
      drifts: [...new Set(options.map((o) => Math.round(o.querySelector('.derive').getBoundingClientRect().left * 2) / 2))],
      textEnds: options.map((o) => o.querySelector('.texte').textContent.length),
      widestText: Math.max(...options.map((o) => o.querySelector('.texte').getBoundingClientRect().right)),
      width: list.getBoundingClientRect().width,
    };
  }, fraction);
}

for (const [label, typed] of [['factory', []], ['1,512 lines', long]]) {
  test(`every line's drift starts in the same column, ${label}`, async ({ page }) => {
    await openList(page, typed);
    const seen = [];
    for (const fraction of [0, 0.5, 1]) seen.push(await columnsAt(page, fraction));
    // The texts differ in length, else the check would prove nothing.
    expect(new Set(seen.flatMap((s) => s.textEnds)).size).toBeGreaterThan(1);
    expect(new Set(seen.flatMap((s) => s.drifts)).size).toBe(1);
    for (const { drifts, widestText } of seen) expect(drifts[0]).toBeGreaterThan(widestText);
    expect(new Set(seen.map((s) => s.width)).size).toBe(1); // the list keeps its width as it scrolls
  });
}

test.describe('at a phone\'s width', () => {
  test.use({ viewport: { width: 375, height: 812 } });

  test('no caption breaks inside a word', async ({ page }) => {
    await page.locator('#VitessesCachees summary').click();
    // A word cut at the end of a line is drawn as two boxes on two lines.
    const cut = await page.evaluate(() => {
      const out = [];
      const walker = document.createTreeWalker(document.querySelector('main'), NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        if (!node.parentElement.checkVisibility()) continue;
        for (const match of node.data.matchAll(/\S+/g)) {
          const range = document.createRange();
          range.setStart(node, match.index);
          range.setEnd(node, match.index + match[0].length);
          const lines = new Set([...range.getClientRects()].filter((r) => r.width > 0).map((r) => Math.round(r.bottom)));
          if (lines.size > 1) out.push(match[0]);
        }
      }
      return out;
    });
    expect(cut).toEqual([]);
  });

  test('the list keeps an inner margin after its last column and stays on the screen', async ({ page }) => {
    await openList(page, long);
    const edges = await page.locator('#ListBoxValeurTimer').evaluate(async (list) => {
      list.scrollLeft = list.scrollWidth;
      await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
      const inner = list.getBoundingClientRect().left + list.clientLeft + list.clientWidth;
      const ends = [...list.querySelectorAll('.derive')].map((d) => d.getBoundingClientRect().right);
      return { margin: inner - Math.max(...ends), right: list.getBoundingClientRect().right };
    });
    expect(edges.margin).toBeGreaterThanOrEqual(4);
    expect(edges.right).toBeLessThanOrEqual(375);
  });

  test('the levels\' tables fit their frame, their last column clear of it', async ({ page }) => {
    await page.locator('#VitessesCachees summary').click();
    const tables = await page.evaluate(() => [...document.querySelectorAll('.defile')].map((scroller) => {
      const frame = scroller.closest('fieldset');
      const inner = frame.getBoundingClientRect().right - frame.clientLeft;
      const last = Math.max(...[...scroller.querySelectorAll('input')].map((i) => i.getBoundingClientRect().right));
      return { overflow: scroller.scrollWidth - scroller.clientWidth, clear: inner - last >= 4 };
    }));
    expect(tables).toEqual([{ overflow: 0, clear: true }, { overflow: 0, clear: true }]);
  });
});

// The keys move the selection anywhere in the list: the selected line is laid
// out, in sight, named by aria-activedescendant and alone selected.
const moves = [
  ['End', () => 1511],
  ['PageUp', (page) => 1511 - page],
  ['Home', () => 0],
  ['PageDown', (page) => page],
  ['ArrowDown', (page) => page + 1],
  ['End', () => 1511],
  ['ArrowUp', () => 1510],
];

test('the keys move the selection through all 1,512 lines and keep it in sight', async ({ page }) => {
  await openList(page, long);
  const list = page.locator('#ListBoxValeurTimer');
  await list.focus();
  const pageSize = await list.evaluate((l) => Math.floor(l.clientHeight / l.querySelector('[role="option"]').offsetHeight) - 1);
  for (const [key, target] of moves) {
    await page.keyboard.press(key);
    const index = target(pageSize);
    await expect(list, key).toHaveAttribute('aria-activedescendant', `ligne-${index}`);
    const state = await list.evaluate((l) => {
      const option = document.getElementById(l.getAttribute('aria-activedescendant'));
      const box = option.getBoundingClientRect();
      const view = l.getBoundingClientRect();
      return {
        selected: [...l.querySelectorAll('[aria-selected="true"]')].map((o) => o.id),
        inSight: box.top >= view.top - 0.5 && box.bottom <= view.top + l.clientTop + l.clientHeight + 0.5,
        position: option.getAttribute('aria-posinset'),
      };
    });
    expect(state, key).toEqual({ selected: [`ligne-${index}`], inSight: true, position: String(index + 1) });
  }
});

test('End then Enter applies the last of 1,512 lines as the window does', async ({ page }) => {
  const want = expected['la dernière des 1512 lignes'].controls;
  await openList(page, long);
  await page.locator('#ListBoxValeurTimer').focus();
  await page.keyboard.press('End');
  await page.keyboard.press('Enter');
  await expect(page.locator('#ListBoxValeurTimer')).toBeHidden();
  for (const name of ['EditPeriodeTimer', 'EditV1AD', 'EditV1De', 'EditErreur', 'EditVmax', 'EditPeriodeMax'])
    await expect(page.locator(`#${name}`), name).toHaveValue(want[name][0]);
});

test('a list scrolled by hand keeps its selected line in the page, and a far line applies', async ({ page }) => {
  const want = expected['la dernière des 1512 lignes'].controls;
  await openList(page, long);
  await page.locator('#ligne-3').click();
  const list = page.locator('#ListBoxValeurTimer');
  await list.evaluate(async (l) => {
    l.scrollTop = l.scrollHeight / 2;
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
  });
  await expect(list).toHaveAttribute('aria-activedescendant', 'ligne-3');
  await expect(page.locator('#ligne-3')).toHaveAttribute('aria-selected', 'true');
  expect(await list.evaluate((l) => l.scrollTop)).toBeGreaterThan(1000); // scrolling does not pull it back
  await (await lineInSight(page, 1511)).dblclick();
  await expect(page.locator('#EditPeriodeTimer')).toHaveValue(want.EditPeriodeTimer[0]);
});
