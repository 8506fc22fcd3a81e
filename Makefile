# Two commands on a fresh Debian 12 machine:
#   make run      installs what is missing, builds the show in build/, starts it
#   make test     the same set-up plus every platform's tools, then the whole suite
#   make check    the daily loop: the native build in build-check/ with its unit, GL,
#                 capture and end-to-end tests (none that need MinGW, Wine,
#                 emscripten, a browser or clang; no sanitized build)
#   make windows  the 32-bit Windows executable, $(BUILD_WIN32)/invitation.exe
#   make windows64  its 64-bit twin for the tests, $(BUILD_WIN64)/invitation.exe,
#                 only where this host cannot run 32-bit programs (never shipped)
#   make web      the show in one web page, $(BUILD_WEB)/invitation.html
#   make release  the release archive and the Debian package in $(BUILD_RELEASE)
#   make fuzz     each libFuzzer harness for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600)
#   make assets, make music   redraw the pictures, recompose the module
# Each build folder has one configuration, written once below (configure_*).
# The packages come from tools/setup/packages.txt through tools/setup/setup.sh.

BUILD         ?= build
BUILD_CHECK   ?= build-check
BUILD_TEST    ?= build-test
BUILD_ASAN    ?= build-asan
BUILD_WIN32   ?= build-win32
BUILD_WIN64   ?= build-win64
BUILD_WEB     ?= build-web
BUILD_RELEASE ?= build-release
BUILD_FUZZ    ?= build-fuzz
FUZZ_SECONDS  ?= 60
JOBS          ?= $(shell nproc)

SETUP = tools/setup/setup.sh
# `make windows` or `make web` alone needs its tools and stops without them;
# `make test` offers them, and a platform whose tools cannot be installed is left
# out, its tests skipped with the reason.
PLATFORM_SETUP = require
test: PLATFORM_SETUP = offer
# One apt-get update at most in one make run.
export INVITATION_SETUP_SESSION ?= $(shell date +%s.%N)
# The browser build's own unit tests and benchmark page come with make test.
WEB_TESTS = OFF
test: WEB_TESTS = ON

configure_run     = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=OFF
configure_check   = cmake -S . -B $(BUILD_CHECK) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=ON
configure_test    = cmake -S . -B $(BUILD_TEST) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=ON \
  -DINVITATION_WIN32_DIR=$(abspath $(BUILD_WIN32)) -DINVITATION_WEB_DIR=$(abspath $(BUILD_WEB)) \
  -DINVITATION_WIN64_DIR=$(abspath $(BUILD_WIN64)) \
  -DINVITATION_RELEASE_DIR=$(abspath $(BUILD_RELEASE))
configure_asan    = cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DINVITATION_TESTS=ON -DINVITATION_SANITIZE=ON
configure_windows = cmake -S . -B $(BUILD_WIN32) -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/i686-w64-mingw32.cmake \
  -DINVITATION_WIN32_PREFIX=$(abspath $(BUILD_WIN32))/deps/prefix
configure_windows64 = cmake -S . -B $(BUILD_WIN64) -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/x86_64-w64-mingw32.cmake \
  -DINVITATION_WIN32_PREFIX=$(abspath $(BUILD_WIN64))/deps/prefix
configure_web     = cmake -S . -B $(BUILD_WEB) -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/emscripten.cmake \
  -DINVITATION_WEB_PREFIX=$(abspath $(BUILD_WEB))/deps/prefix -DINVITATION_WEB_TESTS=$(WEB_TESTS)
configure_fuzz    = cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DINVITATION_FUZZ=ON

# ctest in FOLDER with OPTIONS; a failure is noted in $$status, so the run goes
# on to the closing summary.
ctest_in = (cd $(1) && ctest --output-on-failure -j $(JOBS) $(2)) || status=1

.PHONY: run test check build deps test-deps windows windows64 windows64-deps wine-deps web web-test-deps release assets music clean fuzz fuzz-build sync-bench

deps:
	@$(SETUP) require run

test-deps: deps
	@$(SETUP) require test-tools

build: deps
	$(configure_run)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/invitation

# Redraws the ten embedded images into src/assets/data (and their contact sheet
# into docs/) and the program's icon into src/assets/icon, then checks them.
# Builds only the generator and the check, so a broken image in the tree never
# stands in the way of redrawing it.
assets: deps
	$(configure_run)
	cmake --build $(BUILD) --target generate-images asset-check -j $(JOBS)
	$(BUILD)/generate-images src/assets/data docs/contact_sheet.png
	$(BUILD)/generate-images --icons src/assets/icon
	$(BUILD)/asset-check src/assets/data

# Regenerates the module from its composer and checks it, then its loudness step:
# one pass through the show's mixer must measure -15..-13 LUFS with its true peak
# at or below -1 dBTP and nothing clipped (libxmp-dev and sox draw
# docs/music_spectrogram.png when they are installed).
music: deps
	$(configure_run)
	cmake --build $(BUILD) --target music-composer module-check music-loudness -j $(JOBS)
	$(BUILD)/music-composer src/assets/data/music.xm
	$(BUILD)/module-check src/assets/data/music.xm
	$(BUILD)/music-loudness --check src/assets/data/music.xm
	-cmake --build $(BUILD) --target music_spectrogram

# The cross-built libraries are made once into $(BUILD_WIN32)/deps/prefix and reused.
windows: deps
	@$(SETUP) $(PLATFORM_SETUP) windows
	@if $(SETUP) has windows; then \
	  JOBS=$(JOBS) tools/win32/build_prefix.sh $(BUILD_WIN32)/deps && \
	  $(configure_windows) && cmake --build $(BUILD_WIN32) -j $(JOBS); \
	fi

# 32-bit Wine for the Windows tests, only where this host runs 32-bit programs.
wine-deps:
	@$(SETUP) $(PLATFORM_SETUP) wine32

# Where this host cannot run 32-bit programs (the probe), or its 32-bit Wine could
# not be installed (a mirror's i386 index that cannot be read, say), the Windows
# tests run a 64-bit twin under 64-bit Wine: the same sources, its own prefix
# from the same Debian sources, in $(BUILD_WIN64). The probe is asked once, here:
# elsewhere nothing is installed, and windows64 is recorded as not needed, so
# nothing is built either (the tests run the 32-bit executable there).
I386_PROBE ?= tools/setup/i386-probe
windows64-deps:
	@if $(I386_PROBE) >/dev/null && $(SETUP) has wine32 >/dev/null; then \
	  $(SETUP) leave-out windows64 "not needed: this host runs 32-bit programs, so the Windows tests run the 32-bit executable"; \
	else $(SETUP) $(PLATFORM_SETUP) windows64 wine64; fi

windows64: deps windows64-deps
	@if $(SETUP) has windows64; then \
	  JOBS=$(JOBS) tools/win32/build_prefix.sh $(BUILD_WIN64)/deps x86_64-w64-mingw32 && \
	  $(configure_windows64) && cmake --build $(BUILD_WIN64) -j $(JOBS); \
	fi

# The WebAssembly libraries are made once into $(BUILD_WEB)/deps/prefix and reused.
web:
	@$(SETUP) $(PLATFORM_SETUP) web
	@if $(SETUP) has web; then \
	  JOBS=$(JOBS) tools/web/build_prefix.sh $(BUILD_WEB)/deps && \
	  $(configure_web) && cmake --build $(BUILD_WEB) -j $(JOBS); \
	fi

# Chromium, Firefox ESR and WebKitGTK's WebDriver, the live sync check's
# PulseAudio and XTest (sync), and playwright-core and
# puppeteer-core at the versions the lock file pins, in $(BUILD_WEB)/test-node
# (never a browser download: the tests use Debian's browsers). npm is tried
# twice, for a download that fails on the way.
web-test-deps:
	@$(SETUP) $(PLATFORM_SETUP) chromium firefox webkit sync
	@if $(SETUP) has chromium >/dev/null || $(SETUP) has firefox >/dev/null; then \
	  mkdir -p $(BUILD_WEB)/test-node && \
	  cp tests/web/package.json tests/web/package-lock.json $(BUILD_WEB)/test-node/ && \
	  cd $(BUILD_WEB)/test-node && \
	  { PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error || \
	    { echo "npm ci failed; once more"; PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error; }; } || \
	  { [ "$(PLATFORM_SETUP)" = offer ] && cd $(CURDIR) && \
	    $(SETUP) leave-out chromium "npm ci of playwright-core failed twice (see above)" && \
	    $(SETUP) leave-out firefox "npm ci of puppeteer-core failed twice (see above)"; }; \
	fi

# The native build the release packs: build/, or under make test the test build,
# the same Release configuration with the tests beside it, which make test
# builds anyway (so the show is not compiled once more for the release).
RELEASE_NATIVE = $(BUILD)
configure_release_native = $(configure_run)
test: RELEASE_NATIVE = $(BUILD_TEST)
test: configure_release_native = $(configure_test)

# The release from the Windows and web builds and the native show
# (tools/release/make_release.sh): $(BUILD_RELEASE)/norvale2008-invitation.zip and
# the Debian package, byte for byte the same from the same commit.
release: deps windows web
	@$(SETUP) $(PLATFORM_SETUP) release
	@if why=$$($(SETUP) has windows web release); then \
	  $(configure_release_native) && \
	  cmake --build $(RELEASE_NATIVE) --target invitation invitation-capture release-picture release-texts -j $(JOBS) && \
	  tools/release/make_release.sh $(RELEASE_NATIVE) $(BUILD_WIN32) $(BUILD_WEB) $(BUILD_RELEASE); \
	else $(SETUP) leave-out release "no release without the builds it packs: $$why"; fi

# The libFuzzer harnesses (tests/fuzz) in a clang build of their own. `make test`
# replays their seeds and fuzzes each a few seconds; `make fuzz` fuzzes each for
# FUZZ_SECONDS, keeping the corpus in $(BUILD_FUZZ)/fuzz-corpus.
fuzz-build: deps
	@$(SETUP) $(PLATFORM_SETUP) fuzz
	@if $(SETUP) has fuzz; then \
	  $(configure_fuzz) && cmake --build $(BUILD_FUZZ) --target fuzzers -j $(JOBS); \
	fi

fuzz: fuzz-build
	tests/fuzz/fuzz_all.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# The daily loop. The tests labelled windows or browser need those builds and
# are left out; `make test` runs them.
check: test-deps
	$(configure_check)
	cmake --build $(BUILD_CHECK) -j $(JOBS)
	@status=0; $(call ctest_in,$(BUILD_CHECK),-LE 'windows|browser'); \
	  tools/setup/skip_summary.sh $(BUILD_CHECK); exit $$status

# Every build, then every test: the main build's whole suite, the sanitized
# build's share (only its programs are built there), the fuzzers' seeds; then
# what was left out and skipped, and why.
test: test-deps windows wine-deps windows64 web web-test-deps fuzz-build release
	$(configure_test)
	cmake --build $(BUILD_TEST) -j $(JOBS)
	$(configure_asan)
	cmake --build $(BUILD_ASAN) --target sanitized-tests -j $(JOBS)
	@status=0; \
	$(call ctest_in,$(BUILD_TEST),); \
	$(call ctest_in,$(BUILD_ASAN),-L sanitized); \
	if $(SETUP) has fuzz >/dev/null; then $(call ctest_in,$(BUILD_FUZZ),-L fuzz); fi; \
	tools/setup/skip_summary.sh $(BUILD_TEST) $(BUILD_ASAN) $(BUILD_FUZZ); \
	exit $$status

# The live sync bench (bench/sync/run.sh): the sound's offset against the picture
# on the desktop and in Chromium and Firefox ESR, from $(BUILD) and $(BUILD_WEB).
sync-bench:
	bench/sync/run.sh $(BUILD) $(BUILD_WEB)

clean:
	rm -rf $(BUILD) $(BUILD_CHECK) $(BUILD_TEST) $(BUILD_ASAN) $(BUILD_WIN32) $(BUILD_WIN64) $(BUILD_WEB) $(BUILD_FUZZ) $(BUILD_RELEASE) build-setup
