// The mount dialog's calibration tab: the drift of a star timed on the sky
// corrects the form's DureeTour. The core computes on every keystroke, from
// the form's own values; "Appliquer" types the corrected DureeTour into its
// box, as the user would, so that its handler runs and the search starts
// from it.

const $ = (id) => document.getElementById(id);
// In the core's order of its inputs: drift, plate scale, time, declination, rate.
const inputs = ['EditDerive', 'EditEchelle', 'EditDureeMesure', 'EditDeclinaison', 'ComboSuiviCalibration'];
const notes = ['AideDerive', 'AideEchelle', 'AideDureeMesure', 'AideDeclinaison', 'AideSuiviCalibration'];
const tabs = ['OngletTrain', 'OngletCalibration'];

// `texts`: the core's words for the dialog (WebForm.mountDialogTexts).
export function bindCalibration(form, act, texts) {
  let writes = []; // what "Appliquer" types, from the last inputs

  function show() {
    const [drift, scale, time, declination, rate] = inputs.map((id) => $(id).value);
    const out = form.calibrate(drift, scale, time, $('RadioEst').checked, declination, rate);
    inputs.forEach((id, i) => $(id).setAttribute('aria-invalid', String(out.fault !== undefined && out.input === i)));
    writes = out.writes ?? [];
    $('TextCalibration').textContent = out.fault ?? `${out.report}\n${out.note}`;
    $('ButtonAppliquerCalibration').disabled = writes.length === 0;
  }

  // One tab shown at a time; the dialog's Appliquer is the shown tab's.
  function select(index, focus) {
    tabs.forEach((id, i) => {
      const tab = $(id);
      tab.setAttribute('aria-selected', String(i === index));
      tab.tabIndex = i === index ? 0 : -1;
      $(tab.getAttribute('aria-controls')).hidden = i !== index;
    });
    $('ButtonAppliquer').hidden = index !== 0;
    $('ButtonAppliquerCalibration').hidden = index !== 1;
    if (focus) $(tabs[index]).focus();
  }

  inputs.forEach((id, i) => {
    document.querySelector(`label[for="${id}"]`).textContent = texts.calibrationCaptions[i];
    $(notes[i]).textContent = texts.calibrationNotes[i];
  });
  $('TitreSens').textContent = texts.direction;
  $('TexteEst').textContent = ` ${texts.east}`; // spaced from its button as before
  $('TexteOuest').textContent = ` ${texts.west}`;
  $('AideSens').textContent = form.driftDirectionHelp();
  tabs.forEach((id, i) => {
    $(id).addEventListener('click', () => select(i, false));
    $(id).addEventListener('keydown', (event) => {
      if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
      event.preventDefault();
      select((i + 1) % tabs.length, true);
    });
  });
  for (const id of [...inputs, 'RadioEst', 'RadioOuest']) $(id).addEventListener('input', show);
  // The form may have changed since the last opening.
  $('ButtonMonture').addEventListener('click', show);
  $('ButtonAppliquerCalibration').addEventListener('click', () => {
    if (writes.length === 0) return;
    const typed = writes;
    act(() => typed.forEach(({ control, text }) => form.typed(control, text)));
    $('DialogueMonture').close();
  });
}
