// The mount dialog: its texts come from the core, as the windows' do; the
// core computes the gear train on every keystroke, from the levels and period
// of the form; "Appliquer" types what the core says into the boxes, as the
// user would, so their handlers run.
import { bindCalibration } from './calibration.js';

const $ = (id) => document.getElementById(id);
// In the core's order of its inputs: teeth, motor steps, reduction, rate.
const inputs = ['EditDents', 'EditPasMoteur', 'EditReduction', 'ComboSuivi'];
const notes = ['AideDents', 'AidePasMoteur', 'AideReduction', 'AideSuivi'];

// The dialog's words, from the core, into the page's elements.
function showTexts(texts) {
  $('TitreMonture').textContent = texts.title;
  document.querySelector('label[for="ComboMonture"]').textContent = texts.mountList;
  $('ComboMonture').replaceChildren(...texts.mounts.map((name, i) => new Option(name, String(i))));
  ['OngletTrain', 'OngletCalibration'].forEach((id, i) => { $(id).textContent = texts.pages[i]; });
  inputs.forEach((id, i) => {
    document.querySelector(`label[for="${id}"]`).textContent = texts.mountCaptions[i];
    $(notes[i]).textContent = texts.mountNotes[i];
  });
  $('VitessesSuivi').replaceChildren(...texts.rates.map((rate) => new Option('', rate)));
  for (const id of ['ComboSuivi', 'ComboSuiviCalibration']) $(id).value = texts.rates[0];
  $('TexteDemiPas').textContent = texts.halfStep;
  $('ButtonAppliquer').textContent = texts.apply;
  $('ButtonAppliquerCalibration').textContent = texts.apply;
  $('ButtonFermer').textContent = texts.close;
}

export function bindMount(form, act) {
  let writes = []; // what "Appliquer" types, from the last inputs

  function show() {
    const [teeth, steps, reduction, rate] = inputs.map((id) => $(id).value);
    // A filled box edited by hand: the list goes back to the free entry.
    const list = $('ComboMonture');
    list.selectedIndex = form.mountListChoice(list.selectedIndex, teeth, steps, reduction);
    list.title = $('AideMonture').textContent = form.mountListHelp(list.selectedIndex);
    const out = form.mount(teeth, steps, reduction, $('CheckBoxDemiPas').checked, rate);
    inputs.forEach((id, i) => $(id).setAttribute('aria-invalid', String(out.fault !== undefined && out.input === i)));
    writes = out.writes;
    $('TextResultats').textContent = out.results;
    $('ButtonAppliquer').disabled = writes.length === 0;
  }

  const texts = form.mountDialogTexts();
  showTexts(texts);
  $('ButtonMonture').addEventListener('click', () => {
    show();
    $('DialogueMonture').showModal();
  });
  for (const id of [...inputs, 'CheckBoxDemiPas']) $(id).addEventListener('input', show);
  // A row fills the gear train's boxes, as typing would; the results follow.
  $('ComboMonture').addEventListener('change', () => {
    const boxes = inputs.slice(0, 3).map((id) => $(id));
    const filled = form.mountFill($('ComboMonture').selectedIndex, ...boxes.map((box) => box.value));
    [boxes[0].value, boxes[1].value, boxes[2].value] = [filled.teeth, filled.motorSteps, filled.reduction];
    show();
  });
  $('ButtonAppliquer').addEventListener('click', () => {
    if (writes.length === 0) return;
    const typed = writes;
    act(() => typed.forEach(({ control, text }) => form.typed(control, text)));
    $('DialogueMonture').close();
  });
  $('ButtonFermer').addEventListener('click', () => $('DialogueMonture').close());
  bindCalibration(form, act, texts);
}
