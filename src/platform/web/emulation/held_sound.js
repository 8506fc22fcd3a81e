// A sound device that can be opened before the viewer's click and starts playing
// only with it. The mixer must be open before the module can be loaded (libmikmod
// is set up for the device's format there), but a Web Audio context made before a
// click stays silent and makes the browser warn. While the sound is held, the
// emulation's SDL_OpenAudio finds a stand-in in place of the audio context and
// makes none, and the mixer's request to start the device is kept back, so its
// callback is never asked for sound. Releasing the sound (in the click) makes the
// real audio context and starts the device as the mixer asked. Each release makes
// a fresh context and closes the one before, so nothing queued by an earlier run
// can be heard in a later one.
//
// It also tells when the music's first frame is heard: the buffer that begins
// the music is scheduled on the audio context's clock the moment it is mixed
// (as the emulation's pushAudio schedules it), and the context's clock and its
// own buffering say when that time reaches the listener. Until the context runs
// and its clock moves, nothing is known and the show waits at beat 0. Handed to
// emscripten as a JavaScript library.
mergeInto(LibraryManager.library, {
  $heldSound: {
    held: false,
    startWhenReleased: false,  // the last SDL_PauseAudio while held asked to play
    previous: null,            // the context of the last run, closed at the next release
    musicPlaytime: null,       // where the music's first buffer lies on the context's clock
    stillTime: null,           // the clock's time when first asked, until it moves
    readings: [],              // the last readings of when the music was heard
    readingsKept: 64,          // about a second of frames, then the reading stays
    heardTicks: -1,            // the earliest reading so far
  },

  web_hold_sound__deps: ['$SDL', '$heldSound'],
  web_hold_sound: function() {
    if (heldSound.held) return;
    heldSound.held = true;
    heldSound.startWhenReleased = false;
    if (SDL.audioContext) heldSound.previous = SDL.audioContext;
    // What SDL_OpenAudio reads of a context before playing anything.
    SDL.audioContext = { state: 'held', currentTime: 0 };
  },

  web_release_sound__deps: ['$SDL', '$heldSound', 'SDL_PauseAudio', 'SDL_CloseAudio'],
  web_release_sound: function() {
    if (!heldSound.held) return;
    heldSound.held = false;
    if (heldSound.previous && heldSound.previous.state !== 'closed') heldSound.previous.close();
    heldSound.previous = null;
    var Context = typeof AudioContext != 'undefined' ? AudioContext
                : typeof webkitAudioContext != 'undefined' ? webkitAudioContext : null;
    SDL.audioContext = Context ? new Context() : null;
    if (!SDL.audioContext) {
      // No Web Audio: the device closes and the show runs silent, as on a desktop
      // without a sound device.
      _SDL_CloseAudio();
      return;
    }
    // Made in the click, it plays; some browsers still make it suspended, and
    // let it resume only within the click.
    if (SDL.audioContext.state === 'suspended') SDL.audioContext.resume();
    if (SDL.audio && heldSound.startWhenReleased) _SDL_PauseAudio(0);
  },

  // The mixer has just mixed a buffer, which the emulation schedules next.
  web_sound_mixed__deps: ['$SDL', '$heldSound'],
  web_sound_mixed: function(musicBegins) {
    if (!musicBegins || !SDL.audio || !SDL.audioContext || heldSound.held) return;
    heldSound.musicPlaytime = Math.max(SDL.audioContext.currentTime + SDL.audio.bufferingDelay, SDL.audio.nextPlayTime);
  },

  web_forget_music_start__deps: ['$heldSound'],
  web_forget_music_start: function() {
    heldSound.musicPlaytime = null;
    heldSound.stillTime = null;
    heldSound.readings = [];
    heldSound.heardTicks = -1;
  },

  // SDL ticks (ms since SDL_Init, from Date.now()) at which the music's first
  // frame is heard, or -1 while that cannot be told. The context's clock may say
  // it runs and still stand still for a second or two (Chromium and Firefox
  // both, in a window under Xvfb): only once it has moved is the music's place
  // on it turned into a time. A buffer's place less the clock's time now is how
  // long until it plays; the engine's own buffering comes after. The clock moves
  // in steps of the engine's audio callback, never ahead, so the earliest of a
  // second's readings stands, and then stays.
  // The context's outputLatency is never asked: in Firefox that question waits
  // on the sound server while the sound server waits on the page, and now and
  // then neither ever answers (the page froze in about one run in five). The
  // device's own latency is left out in every engine.
  web_music_heard_ticks__deps: ['$SDL', '$heldSound'],
  web_music_heard_ticks: function() {
    var readings = heldSound.readings;
    if (readings.length >= heldSound.readingsKept) return heldSound.heardTicks;
    var context = SDL.audioContext;
    if (heldSound.musicPlaytime === null || !context || context.state !== 'running' || SDL.startTime === null) return -1;
    if (heldSound.stillTime === null) heldSound.stillTime = context.currentTime;
    if (context.currentTime === heldSound.stillTime) return -1;
    var untilHeardMs = (heldSound.musicPlaytime - context.currentTime + (context.baseLatency || 0)) * 1000;
    readings.push(Date.now() - SDL.startTime + untilHeardMs);
    heldSound.heardTicks = Math.min.apply(null, readings);
    return heldSound.heardTicks;
  },

  // As the emulation's own, except while the sound is held.
  SDL_PauseAudio__deps: ['$SDL', '$safeSetTimeout', '$heldSound'],
  SDL_PauseAudio__sig: 'vi',
  SDL_PauseAudio: function(pauseOn) {
    if (!SDL.audio) return;
    if (heldSound.held) {
      heldSound.startWhenReleased = !pauseOn;
      return;
    }
    if (pauseOn) {
      if (SDL.audio.timer !== undefined) {
        clearTimeout(SDL.audio.timer);
        SDL.audio.numAudioTimersPending = 0;
        SDL.audio.timer = undefined;
      }
    } else if (!SDL.audio.timer) {
      SDL.audio.numAudioTimersPending = 1;
      SDL.audio.timer = safeSetTimeout(SDL.audio.caller, 1);
    }
    SDL.audio.paused = pauseOn;
  },
});
