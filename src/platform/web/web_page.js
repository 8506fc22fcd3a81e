// The page's side of the browser build: functions the show's code calls, handed
// to emscripten as a JavaScript library (--js-library).
mergeInto(LibraryManager.library, {
  // The mixer stops asking for sound when the audio device closes, but what the
  // browser has queued would still play for a while: suspending the audio context
  // ends it now.
  web_page_stop_sound__deps: ['$SDL'],
  web_page_stop_sound: function() {
    if (SDL.audioContext && SDL.audioContext.state !== 'closed') SDL.audioContext.suspend();
  },

  // The page decides what the end looks like (Module.onShowEnded).
  web_page_show_ended: function() {
    if (Module['onShowEnded']) Module['onShowEnded']();
  },
});
