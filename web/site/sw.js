// Keeps the site's files so the game starts and plays with no network once
// it has been opened. The network comes first whenever it answers in time, so a
// player never runs a stale build; the cache is named after the build
// (version and a digest of its files) and older builds' caches are dropped.
const CACHE = 'vaskel-@BUILD@';
const FILES = ['./', 'index.html', 'favicon.ico', 'manifest.json', 'icon-192.png',
               'vaskel.js', 'vaskel.wasm', 'vaskel.data'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

// A worker still answering after a newer one took over must not bring its
// dropped cache back.
function dropOlderBuilds() {
  return caches.keys().then((names) => Promise.all(
    names.filter((n) => n.startsWith('vaskel-') && n !== CACHE).map((n) => caches.delete(n))));
}

function keep(request, response) {
  return caches.has(CACHE).then((kept) => kept && caches.open(CACHE).then((cache) => cache.put(request, response)));
}

self.addEventListener('activate', (event) => {
  event.waitUntil(dropOlderBuilds().then(() => self.clients.claim()));
});

// A network that hangs would hold the page until the browser gives up on
// it: after this long a kept file answers instead, and a late answer still
// refreshes what is kept.
const PATIENCE_MS = 4000;

function kept(request) {
  return caches.match(request, { ignoreSearch: true });
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  const network = fetch(request).then((response) => {
    if (response.ok) event.waitUntil(keep(request, response.clone()));
    return response;
  });
  const late = new Promise((resolve) => setTimeout(resolve, PATIENCE_MS))
    .then(() => kept(request))
    .then((file) => file || network);
  event.waitUntil(network.catch(() => null));
  event.respondWith(Promise.race([network, late])
    .catch(() => kept(request).then((file) => file || Response.error())));
});
