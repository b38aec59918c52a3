// The page is a view of the form model: it shows the state of every control
// and forwards typing, clicks, double-clicks, keys and files. What a text
// stores, which handlers run, the faults, the candidate list and the bytes of
// a save all come from the model, compiled from the window's own code.
import createKorval from './korval.js';
import { bindBoard } from './board.js';
import { bindMount } from './mount.js';

const $ = (id) => document.getElementById(id);
const period = $('EditPeriodeTimer');
const list = $('ListBoxValeurTimer');

let form = null;
let names = [];
const elements = new Map(); // control name -> element of the page
const help = new Map();     // control name -> the window's help text
const notes = new Map();    // control name -> its stored-value note, as last read
let listBuilt = false;      // false: the list's lines must be read again
let lastName = '';
let shownMarks = null;      // the marks' ids and texts last put in the page

// What a screen reader calls the control: the model's name, set at start.
function captionOf(el) {
  return el.getAttribute('aria-label') || el.id;
}

function optionId(index) { return `ligne-${index}`; }

const escapes = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' };
const escape = (text) => text.replace(/[&<>"]/g, (c) => escapes[c]);

// A search can give thousands of lines: the list lays out only the lines in
// sight and a few around them, in a spacer of the whole list's height that
// keeps the scroll bar true, and lays them out again as it scrolls. The
// selected line is always in the page, for aria-activedescendant.
const spacer = list.querySelector('.hauteur');
const rendered = list.querySelector('.lignes');
const spareLines = 8;   // laid out above and below the lines in sight
let rowHeight = 17;     // px, measured once the first line is laid out
let rowMeasured = false;
let lineCount = 0;
// The built list: { lines, drifts, first, end } with the lines laid out from
// first to end, `selected` the line shown selected among them, `alone` the
// selected line laid out on its own ({ index, element }) or null.
let rows = null;
// The list's scroll offset and inner height as last read or set: reading them
// after a change lays the whole page out, so they are read only where the
// page is laid out anyway, and the lines are written before the scroll moves.
let scrolled = 0;
let viewHeight = -1;    // -1: to be read
new ResizeObserver(() => { viewHeight = -1; }).observe(list);

function lineHtml(index, selected) {
  return `<div role="option" id="${optionId(index)}" aria-selected="${selected}" aria-posinset="${index + 1}" `
    + `aria-setsize="${lineCount}" data-index="${index}"><span class="texte">${escape(rows.lines[index])}</span>`
    + `<span class="derive">${escape(rows.drifts[index] || '')}</span></div>`;
}

// Lays out the lines in sight at the scroll offset `top`, then the selected
// one on its own when it is out of sight; a selection that only moves among
// laid-out lines changes one attribute, so that the line under a double-click
// stays the same element.
function appendLines(selected, top) {
  const first = Math.max(0, Math.floor(top / rowHeight) - spareLines);
  const end = Math.min(lineCount, Math.ceil((top + viewHeight) / rowHeight) + spareLines);
  if (first !== rows.first || end !== rows.end) {
    const html = [];
    for (let i = first; i < end; ++i) html.push(lineHtml(i, i === selected));
    rendered.innerHTML = html.join('');
    rendered.style.transform = `translateY(${first * rowHeight}px)`;
    rows.first = first;
    rows.end = end;
    rows.selected = selected;
  }
  const apart = selected >= 0 && (selected < first || selected >= end);
  if (rows.alone && (!apart || rows.alone.index !== selected)) {
    rows.alone.element.remove();
    rows.alone = null;
  }
  // The lines just written already show the selection.
  if (rows.selected !== selected) {
    if (rows.selected >= first && rows.selected < end)
      rendered.children[rows.selected - first].setAttribute('aria-selected', 'false');
    if (!apart && selected >= 0) rendered.children[selected - first].setAttribute('aria-selected', 'true');
    rows.selected = selected;
  }
  if (apart && !rows.alone) {
    spacer.insertAdjacentHTML('beforeend', lineHtml(selected, true));
    const element = spacer.lastElementChild;
    element.classList.add('hors');
    element.style.top = `${selected * rowHeight}px`;
    rows.alone = { index: selected, element };
  }
}

function measureRows() {
  const option = rendered.firstElementChild;
  const height = option ? option.getBoundingClientRect().height : 0;
  if (!height) return;
  rowMeasured = true;
  if (Math.abs(height - rowHeight) < 0.01) return;
  rowHeight = height;
  spacer.style.height = `${lineCount * rowHeight}px`;
  rows.first = rows.end = -1;
  appendLines(form.listSelected(), scrolled);
}

function buildList() {
  const text = form.listText();
  const lines = text === '' ? [] : text.split('\n');
  const drifts = form.listHelpText().split('\n');
  lineCount = lines.length;
  rows = { lines, drifts, first: -1, end: -1, selected: -1, alone: null };
  // Every line's drift starts in the same column: the widest text sets it (monospaced).
  let textWidth = 0;
  let driftWidth = 0;
  for (let i = 0; i < lineCount; ++i) {
    textWidth = Math.max(textWidth, lines[i].length);
    driftWidth = Math.max(driftWidth, (drifts[i] || '').length);
  }
  list.style.setProperty('--texte', `${textWidth}ch`);
  list.style.setProperty('--derive', `${driftWidth}ch`);
  spacer.style.height = `${lineCount * rowHeight}px`;
  spacer.querySelector('.hors')?.remove();
  rendered.replaceChildren();
  scrolled = -1; // back to the top, whatever the browser kept
  viewHeight = -1;
  listBuilt = true;
}

// The scroll offset that brings a line into sight by its place, whether or not it is laid out.
function offsetShowing(index, top) {
  if (index < 0) return top;
  const lineTop = index * rowHeight;
  if (lineTop < top) return lineTop;
  if (lineTop + rowHeight > top + viewHeight) return lineTop + rowHeight - viewHeight;
  return top;
}

// The list's inner height, read only when a resize or a new list made it unknown.
function listHeight() {
  if (viewHeight < 0) viewHeight = list.clientHeight;
  return viewHeight;
}

// Moves the list's scroll to `top`; returns where the browser put it.
function scrollList(top) {
  list.scrollTop = top;
  scrolled = list.scrollTop; // the write laid the page out: a read that costs nothing
  return scrolled;
}

function showList() {
  const visible = form.listVisible();
  if (visible && !listBuilt) buildList();
  list.hidden = !visible;
  period.setAttribute('aria-expanded', String(visible));
  const selected = visible ? form.listSelected() : -1;
  if (visible) {
    // The height is read before any line is written. The scroll's move lays
    // the page out: with no line in it yet, the move comes first, while the
    // page is still laid out; otherwise the lines come first, and the move
    // lays them out once, so that no line is laid out only to be replaced.
    listHeight();
    let top = offsetShowing(selected, Math.max(0, scrolled));
    if (top !== scrolled && rows.first < 0) top = scrollList(top);
    appendLines(selected, top);
    if (top !== scrolled) appendLines(selected, scrollList(top));
    if (!rowMeasured) measureRows();
  }
  if (selected >= 0) {
    list.setAttribute('aria-activedescendant', optionId(selected));
    period.setAttribute('aria-activedescendant', optionId(selected));
  } else {
    list.removeAttribute('aria-activedescendant');
    period.removeAttribute('aria-activedescendant');
  }
}

// Only the edit boxes carry a stored-value mark.
const isTextBox = (el) => el && el.tagName === 'INPUT' && el.type !== 'checkbox';

// The marks of the boxes whose note changed, then the list of all the marks.
function showMarks(marked) {
  if (!marked.length) return;
  for (const name of marked) {
    const el = elements.get(name);
    if (!isTextBox(el)) continue;
    const note = notes.get(name);
    const base = help.get(name) || '';
    el.classList.toggle('marque', note !== '');
    const title = note ? `${base}\n${note}` : base;
    if (el.title !== title) el.title = title;
    if (note) el.setAttribute('aria-describedby', `marque-${name}`);
    else el.removeAttribute('aria-describedby');
  }
  const items = [];
  for (const name of names) {
    const el = elements.get(name);
    const note = notes.get(name);
    if (!isTextBox(el) || !note) continue;
    const item = document.createElement('li');
    item.id = `marque-${name}`;
    item.textContent = `${captionOf(el)} : ${note}`;
    items.push(item);
  }
  // The page changes only when the marks do.
  const marks = items.map((item) => `${item.id}\n${item.textContent}`).join('\n');
  if (marks !== shownMarks) {
    shownMarks = marks;
    $('ListeMarques').replaceChildren(...items);
    $('Marques').hidden = items.length === 0;
  }
}

function showErrors() {
  const messages = [...form.errors(), ...form.notes()];
  if (!messages.length) return;
  const dialog = $('MessageErreur');
  for (const message of messages) {
    const p = document.createElement('p');
    p.textContent = message;
    $('TexteErreur').append(p);
  }
  if (!dialog.open) dialog.showModal();
}

// After every action: the state of the controls the action changed, read
// again from the model.
function refresh() {
  const marked = []; // the names whose note changed
  for (const [index, text, checked, note] of form.changedControls()) {
    const name = names[index];
    if (notes.get(name) !== note) {
      notes.set(name, note);
      marked.push(name);
    }
    const el = elements.get(name);
    if (!el) continue;
    if (el.tagName === 'INPUT') {
      if (el.type === 'checkbox') el.checked = checked;
      else if (el.value !== text) el.value = text;
    } else if (el.tagName === 'FIELDSET') {
      const legend = el.querySelector('legend');
      if (legend.textContent !== text) legend.textContent = text;
    } else if (el.id !== 'ListBoxValeurTimer' && el.textContent !== text) {
      el.textContent = text;
    }
  }
  showMarks(marked);
  showList();
  showErrors();
}

function act(action) {
  action();
  refresh();
}

function search() {
  listBuilt = false;
  act(() => form.clicked('EditPeriodeTimer'));
}

function apply(index) {
  if (index < 0) return;
  act(() => form.doubleClickLine(index));
  period.focus();
}

function closeList() {
  act(() => form.hideList());
  period.focus();
}

function moveSelection(event) {
  const count = lineCount;
  if (!count) return false;
  const current = form.listSelected();
  // Only a page key needs the list's height.
  const page = () => Math.max(1, Math.floor(listHeight() / rowHeight) - 1);
  const target = {
    ArrowDown: () => current + 1, ArrowUp: () => current - 1, Home: () => 0, End: () => count - 1,
    PageDown: () => current + page(), PageUp: () => current - page(),
  }[event.key]?.();
  if (target === undefined) return false;
  act(() => form.selectLine(Math.min(count - 1, Math.max(0, target))));
  return true;
}

// The model decides what a key of the period box or of the list does.
function listKeyOf(event) {
  if (event.key === 'ArrowDown' && event.altKey) return 'AltDown';
  return ['F4', 'Enter', 'Escape'].includes(event.key) ? event.key : 'Other';
}

function listKey(inList, event) {
  const action = form.listKeyAction(inList, listKeyOf(event), form.listVisible());
  if (action === 'open') {
    search();
    if (form.listVisible()) list.focus();
  } else if (action === 'apply') {
    apply(form.listSelected());
  } else if (action === 'close') {
    closeList();
  } else {
    return false;
  }
  event.preventDefault();
  return true;
}

// A photo or a HEX image chosen by mistake opens only on « Oui »; « Non »,
// Échap and Entrée on the first focus leave everything as it was.
function askOpenAnyway(question) {
  const dialog = $('QuestionOuvrir');
  $('TexteQuestionOuvrir').textContent = question;
  dialog.returnValue = 'non';
  dialog.showModal();
  $('NePasOuvrir').focus();
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue === 'oui'), { once: true });
  });
}

async function openFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const question = form.openQuestion(file.name, bytes);
  if (question && !(await askOpenAnyway(question))) return;
  listBuilt = false;
  act(() => form.open(file.name, bytes, question !== ''));
  // After a HEX image, the name its Save proposes (never the dump's own).
  const proposed = form.proposedSaveName();
  lastName = proposed || file.name.replace(/\.[^.]*$/, '');
}

// One message of the page's own action in the error dialog, above any open dialog.
function showMessage(text) {
  $('TexteErreur').replaceChildren(Object.assign(document.createElement('p'), { textContent: text }));
  $('MessageErreur').showModal();
}

// « Comparer… »: what differs between the window and a file, in a small
// dialog; nothing of the window changes.
let comparisonText = '';
async function compareFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const out = form.compare(file.name, bytes);
  if (out.error !== undefined) {
    showMessage(out.error);
    return;
  }
  comparisonText = out.text;
  $('EnteteComparaison').textContent = out.heading;
  $('ListeDifferences').textContent = out.lines.join('\n');
  $('DialogueComparer').showModal();
  $('ListeDifferences').focus();
}

async function copyComparison() {
  try {
    await navigator.clipboard.writeText(comparisonText);
  } catch {
    // Without the clipboard's permission, the list is selected for the user's own copy.
    getSelection().selectAllChildren($('ListeDifferences'));
  }
}

function download(name, bytes) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function save() {
  const name = $('NomFichier').value.trim();
  if (!name) return;
  $('DialogueSauvegarde').close();
  lastName = name.replace(/\.[^.]*$/, '');
  const output = form.save(name);
  download(output.kv2Name, output.kv2);
  download(output.hexName, output.hex);
  showErrors();
}

function bind() {
  for (const el of document.querySelectorAll('input:not([readonly]):not([type="file"])')) {
    if (!elements.has(el.id)) continue;
    if (el.type === 'checkbox') el.addEventListener('click', () => act(() => form.clicked(el.id)));
    else el.addEventListener('input', () => act(() => form.typed(el.id, el.value)));
  }
  period.addEventListener('click', search);
  period.addEventListener('keydown', (event) => listKey(false, event));
  list.addEventListener('scroll', () => {
    if (list.hidden || !rows) return;
    // A scroll event comes once the page is laid out: these reads cost nothing.
    scrolled = list.scrollTop;
    listHeight();
    appendLines(form.listSelected(), scrolled);
  });
  list.addEventListener('click', (event) => {
    const option = event.target.closest('[role="option"]');
    if (option) act(() => form.selectLine(Number(option.dataset.index)));
  });
  list.addEventListener('dblclick', (event) => {
    const option = event.target.closest('[role="option"]');
    if (option) apply(Number(option.dataset.index));
  });
  list.addEventListener('keydown', (event) => {
    if (!listKey(true, event) && moveSelection(event)) event.preventDefault();
  });

  $('ButtonValider').addEventListener('click', () => act(() => form.clicked('ButtonValider')));
  $('ButtonOuvrir').addEventListener('click', () => $('ChoixFichier').click());
  $('ChoixFichier').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openFile(file);
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer.files[0];
    if (file) openFile(file);
  });

  $('ButtonSauvegarder').addEventListener('click', () => {
    $('NomFichier').value = lastName;
    $('DialogueSauvegarde').showModal();
  });
  $('ConfirmerSauvegarde').addEventListener('click', save);
  $('NomFichier').addEventListener('keydown', (event) => {
    if (event.key === 'Enter') { event.preventDefault(); save(); }
  });
  $('AnnulerSauvegarde').addEventListener('click', () => $('DialogueSauvegarde').close());
  $('ButtonComparer').addEventListener('click', () => $('ChoixComparaison').click());
  $('ChoixComparaison').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) compareFile(file);
  });
  $('ButtonCopier').addEventListener('click', copyComparison);
  $('DialogueComparer').addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === 'c') {
      event.preventDefault(); // the whole list, whatever part is selected
      copyComparison();
    }
  });
  $('FermerComparaison').addEventListener('click', () => $('DialogueComparer').close());
  bindMount(form, act);
  bindBoard(form, { tableName: () => lastName, download, showMessage });
  $('FermerErreur').addEventListener('click', () => $('MessageErreur').close());
  $('OuvrirQuandMeme').addEventListener('click', () => $('QuestionOuvrir').close('oui'));
  $('NePasOuvrir').addEventListener('click', () => $('QuestionOuvrir').close('non'));
  // The browser's own leave-page prompt, only when a change would be lost.
  window.addEventListener('beforeunload', (event) => {
    if (!form.hasUnsavedChanges()) return;
    event.preventDefault();
    event.returnValue = true; // older browsers ask only on a value
  });
  $('MessageErreur').addEventListener('close', () => $('TexteErreur').replaceChildren());
}

// The words the windows share: the tool buttons' captions, and their help
// where the markup has a place for it, « Comparer… »'s dialog, the answers of
// the questions.
function showSharedTexts() {
  for (const button of form.toolButtons()) {
    const el = $(button.name);
    el.textContent = button.caption;
    const described = el.getAttribute('aria-describedby');
    if (!described) continue;
    el.title = button.help;
    $(described).textContent = button.help;
  }
  const comparison = form.comparisonTexts();
  $('TitreComparer').textContent = comparison.title;
  $('ListeDifferences').setAttribute('aria-label', comparison.listName);
  $('ButtonCopier').textContent = comparison.copy;
  $('FermerComparaison').textContent = comparison.close;
  const answers = form.questionButtons();
  $('OuvrirQuandMeme').textContent = answers.yes;
  $('NePasOuvrir').textContent = answers.no;
  $('FermerErreur').textContent = answers.ok;
}

// The night key anywhere, in the dialogs too, does what « Nuit » does; the
// model says which keys switch (Alt+N here, as the browser keeps Ctrl+N), and
// a key held down switches once.
function bindNightKey() {
  document.addEventListener('keydown', (event) => {
    if (event.metaKey) return;
    const letter = event.code === 'KeyN' ? 'N' : event.key;
    if (!form.nightKeySwitches(letter, event.ctrlKey, event.altKey, event.shiftKey, event.repeat)) return;
    event.preventDefault();
    $('ButtonNuit').click();
  });
}

async function start() {
  const korval = await createKorval();
  form = new korval.WebForm();
  showSharedTexts();
  bindNightKey();
  names = form.controlNames();
  // The names the windows give their controls, from the same table.
  for (const [name, accessible] of Object.entries(form.accessibleNames())) {
    const el = $(name);
    if (el) el.setAttribute('aria-label', accessible);
  }
  for (const name of names) {
    const el = $(name);
    if (!el) continue;
    elements.set(name, el);
    const text = form.helpText(name);
    if (text) help.set(name, text);
  }
  bind();
  act(() => form.activate());
  $('Chargement').hidden = true;
  $('Fenetre').setAttribute('aria-busy', 'false');
  document.body.dataset.pret = '1';
}

if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js');
start().catch((error) => {
  $('Chargement').textContent = `Le module de calcul n'a pas pu démarrer : ${error}`;
});
