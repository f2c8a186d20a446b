// The browser's side of the web shell: the WebGL context and what WebGL
// needs that desktop OpenGL 1.1 did not, the sound cues, and the hooks into
// the page (Module.page, in index.html).

mergeInto(LibraryManager.library, {
  $webSound: {
    context: null,
    playing: null,
    latestCue: 0,
    decoded: {},

    // Browsers start a page's sound only after the player's first click or
    // key; cues before that are not kept for later.
    listen: function() {
      var start = function() {
        if (!webSound.context) {
          try {
            webSound.context = new AudioContext();
          } catch (e) {
            return;
          }
        }
        if (webSound.context.state === 'suspended') webSound.context.resume();
      };
      window.addEventListener('keydown', start, true);
      window.addEventListener('pointerdown', start, true);
    },

    // Each file is read and decoded once; a missing or broken one is null.
    buffer: function(name) {
      if (!(name in webSound.decoded)) {
        var bytes = null;
        try {
          bytes = FS.readFile(name);
        } catch (e) {
        }
        webSound.decoded[name] = bytes
            ? webSound.context.decodeAudioData(bytes.buffer).catch(function() { return null; })
            : Promise.resolve(null);
      }
      return webSound.decoded[name];
    },
  },

  // The context, made by main() as soon as the runtime is there, while the
  // game's data is still on its way.
  $webMakeContext__deps: ['$Browser', '$GL'],
  $webMakeContext: function() {
    // The desktop OpenGL emulation sets itself up only on a context made here.
    var ctx = Browser.createContext(Module['canvas'], true, true, {depth: true, stencil: false, alpha: false});
    if (!ctx) return false;
    // The game binds fixed texture names that it never generates, name 0
    // among them; WebGL knows only the textures it has made, and its name 0
    // is no texture at all.
    for (var name = 0; name < 8; name++) {
      if (GL.textures[name]) continue;
      var texture = GLctx.createTexture();
      texture.name = name;
      GL.textures[name] = texture;
    }
    GL.counter = Math.max(GL.counter, 8);
    return true;
  },

  webCreateContext__deps: ['$webMakeContext', '$webSound'],
  webCreateContext: function() {
    if (!webMakeContext()) {
      Module['page'].noWebGL();
      return 0;
    }
    webSound.listen();
    return 1;
  },

  // WebGL has no GL_CLAMP. Clamp-to-edge differs only in the half texel at
  // the picture's rim, which GL_CLAMP blends with the border colour.
  glTexParameteri__sig: 'viii',
  glTexParameteri: function(target, pname, param) {
    GLctx.texParameteri(target, pname, param == 0x2900 /* GL_CLAMP */ ? 0x812F /* GL_CLAMP_TO_EDGE */ : param);
  },

  // Nor a border colour: with clamp-to-edge the rim keeps the picture's own.
  glTexParameterfv__sig: 'viii',
  glTexParameterfv: function(target, pname, params) {
    if (pname == 0x1004 /* GL_TEXTURE_BORDER_COLOR */) return;
    GLctx.texParameterf(target, pname, {{{ makeGetValue('params', '0', 'float') }}});
  },

  // WebGL always shades smoothly, the only shading the game asks for.
  glShadeModel__sig: 'vi',
  glShadeModel: function(mode) {},

  webShowError: function(text) {
    Module['page'].showError(UTF8ToString(text));
  },

  // A new cue replaces the one playing, as the game expects of its sound.
  webPlaySound__deps: ['$webSound'],
  webPlaySound: function(fileName) {
    var audio = webSound.context;
    if (!audio || audio.state !== 'running') return;
    var cue = ++webSound.latestCue;
    webSound.buffer(UTF8ToString(fileName)).then(function(buffer) {
      // Nothing to play leaves the last cue playing; a newer cue wins.
      if (!buffer || cue !== webSound.latestCue) return;
      if (webSound.playing) webSound.playing.stop();
      var source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      source.start();
      webSound.playing = source;
    });
  },

  webAddResolution: function(index, width, height) {
    Module['page'].addResolution(index, width, height);
  },

  webAwaitPictures: function() {
    Module['page'].awaitPictures();
  },

  webReady: function() {
    Module['page'].ready();
  },

  webRoundStarted: function(resolutionIndex, blending, bottles, sound) {
    Module['page'].roundStarted(resolutionIndex, blending, bottles, sound);
  },

  webFirstFrame: function() {
    Module['page'].firstFrame();
  },

  webRoundHeld: function() {
    Module['page'].roundHeld();
  },

  webRoundEnded: function() {
    Module['page'].roundEnded();
  },

  webToggleFullScreen: function() {
    Module['page'].toggleFullScreen();
  },

  // F12: the picture as a download, the browser's own way to save a file.
  webSavePicture: function(name, bytes, size) {
    try {
      var blob = new Blob([HEAPU8.slice(bytes, bytes + size)], {type: 'image/png'});
      var link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = UTF8ToString(name);
      link.click();
      setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
      return 1;
    } catch (e) {
      return 0;
    }
  },
});
