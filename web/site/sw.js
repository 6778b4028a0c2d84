// Keeps the site's files so the game starts and plays with no network once
// it has been opened. The game's files carry their digest in their names, so
// a name is one file for good and a kept copy answers first. The page, the
// manifest and the icons are kept as the host served them (hosts rewrite
// pages) and come from the network first. The kept copy is one whole build,
// checked before any file is kept, or nothing; the cache is named after the
// build and the worker's scope, and older builds' of the same scope are
// dropped: two copies of the site in two folders keep one each.
const BUILD = 'vaskel-@BUILD@';
const SCOPE = self.registration.scope;
const CACHE = BUILD + ' ' + SCOPE;
// This build's game files and their SHA-256.
const GAME = @GAME@;
// The rest of the site; './' is index.html.
const PAGES = ['./', 'index.html', 'favicon.ico', 'manifest.json', 'icon-192.png'];

function hex(digest) {
  return Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
}

// A host may answer index.html with a redirect to its folder. A browser
// refuses an answer that came through a redirect to a page load, so the
// answer is kept as a plain one.
function plain(response) {
  if (!response.redirected) return response;
  return response.blob().then((body) => new Response(body, {
    status: response.status, statusText: response.statusText, headers: response.headers }));
}

function fetched(name) {
  return fetch(name, { cache: 'no-cache' }).then((response) => {
    if (!response.ok) throw new Error(name + ': HTTP ' + response.status);
    return plain(response);
  });
}

function gameFile(name) {
  return fetched(name).then((response) => response.clone().arrayBuffer()
    .then((body) => crypto.subtle.digest('SHA-256', body))
    .then((got) => {
      if (hex(got) !== GAME[name]) throw new Error(name + ': not the file of that name');
      return response;
    }));
}

// A page naming other game files is another build's: the site is being uploaded.
function page(name) {
  return fetched(name).then((response) => {
    if (name !== './' && !name.endsWith('.html')) return response;
    return response.clone().text().then((text) => {
      if (Object.keys(GAME).some((file) => !text.includes(file))) throw new Error(name + ': another build');
      return response;
    });
  });
}

// A failed install leaves the worker before it in charge, with its own kept build.
self.addEventListener('install', (event) => {
  const names = Object.keys(GAME).concat(PAGES);
  event.waitUntil(Promise.all(names.map((name) => (GAME[name] ? gameFile(name) : page(name))))
    .then((answers) => caches.open(CACHE).then((cache) =>
      Promise.all(answers.map((answer, i) => cache.put(names[i], answer)))))
    .catch((err) => caches.delete(CACHE).then(() => { throw err; }))
    .then(() => self.skipWaiting()));
});

// Builds from before caches were named by their scope have no space in the name.
function olderBuild(name) {
  return name.startsWith('vaskel-') && name !== CACHE && (name.endsWith(' ' + SCOPE) || !name.includes(' '));
}

function dropOlderBuilds() {
  return caches.keys().then((names) => Promise.all(names.filter(olderBuild).map((n) => caches.delete(n))));
}

self.addEventListener('activate', (event) => {
  event.waitUntil(dropOlderBuilds().then(() => self.clients.claim()));
});

// Only this build's own cache, and only if it is there: an old worker still
// answering after a newer one dropped it must not make it again.
function kept(request) {
  return caches.match(request, { cacheName: CACHE, ignoreSearch: true });
}

// The page's files other than the game's: the network first whenever it
// answers in time, so a player never runs a stale build. A network that hangs
// would hold the page until the browser gives up on it: after this long
// the kept file answers instead.
const PATIENCE_MS = 4000;

function latest(event) {
  const network = fetch(event.request);
  const late = new Promise((resolve) => setTimeout(resolve, PATIENCE_MS))
    .then(() => kept(event.request))
    .then((file) => file || network);
  event.waitUntil(network.catch(() => null));
  return Promise.race([network, late]).catch(() => kept(event.request).then((file) => file || Response.error()));
}

// A game file is the same under its name in every build: the kept copy, else
// the network's answer as it is, which the page reads when it fails.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  const name = url.pathname.slice(url.pathname.lastIndexOf('/') + 1);
  event.respondWith(GAME[name] ? kept(event.request).then((file) => file || fetch(event.request)) : latest(event));
});
