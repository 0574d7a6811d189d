// The page's own files kept for a visit without a network. The assembler writes in the
// build's key and the list of the site's files (relative to this worker). Only those files
// are ever stored: nothing a user types reaches this worker, and it keeps nothing else.
'use strict';

// Named by the page's place as well as the build, so that two copies of the page on one
// origin never delete each other's files.
const PREFIX = 'pelmora ' + self.registration.scope + ' ';
const CACHE = PREFIX + '@VERSION@';
const FILES = @FILES@;
const OWN = new Set(FILES.map(file => new URL(file, self.location).href));

self.addEventListener('install', event => {
    // 'reload': what a new build caches comes from the server, not from the HTTP cache's
    // copy of the old one. addAll stores all or nothing, and a worker whose install fails
    // is dropped (its empty cache with it): the page then goes on from the network, or
    // from the previous build's worker, which stays.
    event.waitUntil(caches.open(CACHE)
        .then(cache => cache.addAll(FILES.map(file => new Request(file, {cache: 'reload'}))))
        .catch(error => caches.delete(CACHE).then(() => { throw error; }))
        .then(() => self.skipWaiting())); // a new build takes over at the next load
});

self.addEventListener('activate', event => {
    event.waitUntil(caches.keys()
        .then(names => Promise.all(names.filter(name => name.startsWith(PREFIX) && name !== CACHE)
            .map(name => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', event => {
    const request = event.request;
    if (request.method !== 'GET' || !OWN.has(request.url))
        return; // not one of ours: the browser fetches it as if there were no worker
    // A file missing from the cache (evicted, say) still comes from the network.
    event.respondWith(caches.match(request, {cacheName: CACHE})
        .then(hit => hit || fetch(request), () => fetch(request)));
});
