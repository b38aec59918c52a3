// « Carte… » in the page: the whole image alone. The owner chooses the
// firmware image; the core merges the window's current table into it and the
// page downloads the result. Programming the board needs the desktop tool,
// which the dialog says in the core's words.
const $ = (id) => document.getElementById(id);

// `page`: { tableName() (the name Save proposes), download(name, bytes), showMessage(text) }.
export function bindBoard(form, page) {
  const texts = form.boardTexts();
  $('TitreCarte').textContent = texts.title;
  $('LabelMicrologiciel').textContent = texts.firmware;
  $('ButtonChoisirMicrologiciel').textContent = texts.chooseFirmware;
  $('ButtonEcrireImage').textContent = texts.writeImage;
  $('FermerCarte').textContent = texts.close;
  $('NoteCarte').textContent = texts.pageNote;

  const dialog = $('DialogueCarte');
  const write = $('ButtonEcrireImage');
  let firmware = null; // the File chosen, kept while the page lives

  $('ButtonCarte').addEventListener('click', () => {
    dialog.showModal();
    (firmware ? write : $('ButtonChoisirMicrologiciel')).focus();
  });
  $('ButtonChoisirMicrologiciel').addEventListener('click', () => $('ChoixMicrologiciel').click());
  $('ChoixMicrologiciel').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (!file) return;
    firmware = file;
    $('EditMicrologiciel').value = file.name;
    write.disabled = false;
    write.focus();
  });
  // Read at each writing, as the desktop tool reads the firmware's file; a
  // file the browser can no longer read (changed, moved) is said so.
  write.addEventListener('click', async () => {
    if (!firmware) return;
    const chosen = firmware;
    let bytes = new Uint8Array();
    let readable = true;
    try {
      bytes = new Uint8Array(await chosen.arrayBuffer());
    } catch {
      readable = false;
    }
    const out = form.wholeImage(chosen.name, bytes, readable, page.tableName());
    if (out.error !== undefined) page.showMessage(out.error);
    else page.download(out.name, out.bytes);
  });
  $('FermerCarte').addEventListener('click', () => dialog.close());
}
