// The mount dialog's calibration tab: the drift of a star timed on the sky
// corrects the form's DureeTour. The core computes on every keystroke, from
// the form's own values; "Appliquer" types the corrected DureeTour into its
// box, as the user would, so that its handler runs and the search starts
// from it.

const $ = (id) => document.getElementById(id);
// In the core's order of its inputs: drift, plate scale, time, declination, rate.
const inputs = ['EditDerive', 'EditEchelle', 'EditDureeMesure', 'EditDeclinaison', 'ComboSuiviCalibration'];
const tabs = ['OngletTrain', 'OngletCalibration'];

export function bindCalibration(form, act) {
  let corrected = null; // the DureeTour text of the last accepted inputs

  function show() {
    const [drift, scale, time, declination, rate] = inputs.map((id) => $(id).value);
    const out = form.calibrate(drift, scale, time, $('RadioEst').checked, declination, rate);
    inputs.forEach((id, i) => $(id).setAttribute('aria-invalid', String(out.fault !== undefined && out.input === i)));
    corrected = out.fault === undefined ? out.dureeTour : null;
    $('TextCalibration').textContent = out.fault ?? `${out.report}\n${out.note}`;
    $('ButtonAppliquerCalibration').disabled = corrected === null;
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
    if (corrected === null) return;
    const text = corrected;
    act(() => form.typed('EditDureeTour', text));
    $('DialogueMonture').close();
  });
}
