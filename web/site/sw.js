// Keeps every file of the page, so that once loaded it works with the network
// off. The cache's name changes with the files' contents: a new build replaces
// the old cache as soon as its worker takes over.
const CACHE = 'korvalset24-@KORVAL_SITE_VERSION@';
const FILES = [
@KORVAL_SITE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((key) => key !== CACHE).map((key) => caches.delete(key))))
    .then(() => self.clients.claim()));
});

// The cache first, the network for what it does not hold.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(event.request)));
});
