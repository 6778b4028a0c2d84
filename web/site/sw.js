// Keeps the site's files so the game starts and plays with no network once
// it has been opened. One page load is one build: the page asks for each of
// its game files by digest, and gets exactly that file, kept or fetched, or
// an error the page explains; a file of another build never answers. The
// kept copy is one whole build, checked file by file before any is kept, or
// nothing; the cache is named after the build and older builds' are dropped.
const CACHE = 'vaskel-@BUILD@';
// Every file of this build and its SHA-256; './' is index.html.
const FILES = @FILES@;

function hex(digest) {
  return Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
}

class AnotherBuild extends Error {}

// The network's answer for url, if it is the file with that digest.
function fetchExactly(url, digest) {
  return fetch(url, { cache: 'no-cache' }).then((response) => {
    if (!response.ok) throw new Error(url + ': HTTP ' + response.status);
    return response.clone().arrayBuffer().then((body) => crypto.subtle.digest('SHA-256', body)).then((got) => {
      if (hex(got) !== digest) throw new AnotherBuild(url);
      return response;
    });
  });
}

// A failed install leaves the worker before it in charge, with its own kept build.
self.addEventListener('install', (event) => {
  const names = Object.keys(FILES);
  event.waitUntil(Promise.all(names.map((name) => fetchExactly(name, FILES[name])))
    .then((answers) => caches.open(CACHE).then((cache) =>
      Promise.all(answers.map((answer, i) => cache.put(names[i], answer)))))
    .catch((err) => caches.delete(CACHE).then(() => { throw err; }))
    .then(() => self.skipWaiting()));
});

function dropOlderBuilds() {
  return caches.keys().then((names) => Promise.all(
    names.filter((n) => n.startsWith('vaskel-') && n !== CACHE).map((n) => caches.delete(n))));
}

self.addEventListener('activate', (event) => {
  event.waitUntil(dropOlderBuilds().then(() => self.clients.claim()));
});

// Only this build's own cache: another build's, not yet dropped, is not this build.
function kept(request) {
  return caches.open(CACHE).then((cache) => cache.match(request, { ignoreSearch: true }));
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

// A game file of one build: this build's kept copy, or the network's when
// it is that very file. The page is told why it gets none.
function exactly(event, name, digest) {
  const ours = FILES[name] === digest;
  return (ours ? kept(event.request) : Promise.resolve(null))
    .then((file) => file || fetchExactly(event.request.url, digest))
    .catch((err) => {
      const why = err instanceof AnotherBuild ? 'another-build' : 'unreachable';
      event.waitUntil(self.clients.get(event.clientId).then((page) => page && page.postMessage({ vaskel: why, name })));
      return Response.error();
    });
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  const digest = url.searchParams.get('sha256');
  const name = url.pathname.slice(url.pathname.lastIndexOf('/') + 1);
  event.respondWith(digest ? exactly(event, name, digest) : latest(event));
});
