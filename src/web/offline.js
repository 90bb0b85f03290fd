// The site's files are kept by a service worker (sw.js, made with the build), so the page plays
// with the network gone once it has been visited, and a browser can install it with its manifest.
// Browsers allow service workers only on https and on the local machine.
if ('serviceWorker' in navigator && window.isSecureContext) {
  navigator.serviceWorker.register('sw.js').catch(function(error) {
    console.warn('spintunnel: the game will not play offline: ' + error.message);
  });
}
