// The night look: the whole page, its dialogs and its question in pure red on
// black (app.css, the block under [data-nuit]), switched by « Nuit » (and by
// its key, which app.js hands to the model) and remembered in localStorage. A
// classic script in the head: a remembered night look is on before the first paint.
(() => {
  const KEY = 'korvalset24.nuit';
  const DAY_THEME = document.querySelector('meta[name="theme-color"]')?.content;
  const remembered = () => {
    try { return localStorage.getItem(KEY) === '1'; } catch { return false; }
  };

  function show(night) {
    document.documentElement.toggleAttribute('data-nuit', night);
    const theme = document.querySelector('meta[name="theme-color"]');
    if (theme) theme.content = night ? '#000000' : DAY_THEME;
    const button = document.getElementById('ButtonNuit');
    if (button) button.setAttribute('aria-pressed', String(night));
  }

  function toggle() {
    const night = !document.documentElement.hasAttribute('data-nuit');
    show(night);
    try { localStorage.setItem(KEY, night ? '1' : '0'); } catch { /* private mode: for this visit only */ }
  }

  show(remembered());
  document.addEventListener('DOMContentLoaded', () => {
    show(document.documentElement.hasAttribute('data-nuit'));
    document.getElementById('ButtonNuit').addEventListener('click', toggle);
  });
})();
