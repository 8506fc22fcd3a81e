# Two commands on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the show
#   make test   the same set-up plus the test tools, then the whole suite through ctest
#   make check  the daily loop: the native build and its tests that need no MinGW,
#               Wine, emscripten, Chromium or clang, without the sanitized build
#   make windows  the 32-bit Windows executable, $(BUILD_WIN32)/invitation.exe
#   make web      the show in one web page, $(BUILD_WEB)/invitation.html
#   make release  the release archive and the Debian package in $(BUILD_RELEASE)
#   make fuzz   each libFuzzer harness for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600)

BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_WIN32 ?= build-win32
BUILD_WEB  ?= build-web
BUILD_RELEASE ?= build-release
WEB_TESTS  ?= OFF
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)

# Packages the show needs to build and run.
RUN_PACKAGES = build-essential cmake pkg-config \
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev \
  libgl-dev libgl1-mesa-dri libegl-mesa0 libpng-dev libmikmod-dev \
  libgtk-3-dev libxrandr-dev
# Packages the tests, benchmarks and tools add.
TEST_PACKAGES = libgtest-dev libgmock-dev libbenchmark-dev libxmp-dev \
  xvfb xauth xdotool x11-utils imagemagick sox ffmpeg valgrind unzip lintian libxml2-utils
# The Windows executable: the MinGW-w64 cross compiler, and dpkg-dev to unpack the
# Debian source packages of the libraries it links statically.
WINDOWS_PACKAGES = g++-mingw-w64-i686 dpkg-dev
# Its tests under Wine: 32-bit Wine with its fonts, and i386 Mesa for OpenGL.
WINE_PACKAGES = wine wine32:i386 fonts-wine libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
# The web page: Debian's emscripten, and dpkg-dev to unpack the source packages of
# the libraries compiled into it.
WEB_PACKAGES = cmake emscripten dpkg-dev
# Its tests: Chromium (driven by playwright-core from npm, tests/web/package.json)
# and npm itself where the installed node does not bring it.
WEB_TEST_PACKAGES = chromium $(if $(shell command -v npm),,npm)

# The release: zip for the archive, dpkg-dev for dpkg-shlibdeps and dpkg-deb.
RELEASE_PACKAGES = zip dpkg-dev binutils

# The fuzzing harnesses: clang with its libFuzzer and sanitizer runtimes.
FUZZ_PACKAGES = clang libclang-rt-14-dev

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: run test check build deps test-deps windows wine-deps web web-test-deps release assets music clean fuzz fuzz-build

# Installs only what dpkg does not already report as installed.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

# ctest names skipped tests without their reasons; each says why in a line
# "SKIPPED: reason" of its output (the Wine tests on a host that cannot run
# 32-bit programs, for one).
define print_skip_reasons
	awk '/^[0-9]+\/[0-9]+ Test: / { name = $$3 } /^SKIPPED: / { print "skipped " name ": " substr($$0, 10) }' \
	  $(1)/Testing/Temporary/LastTest.log
endef

deps:
	$(call install_missing,$(RUN_PACKAGES))

test-deps: deps
	$(call install_missing,$(TEST_PACKAGES))

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/invitation

# Redraws the ten embedded images into src/assets/data (and their contact sheet
# into docs/) and the program's icon into src/assets/icon, then checks them.
# Builds only the generator and the check, so a broken image in the tree never
# stands in the way of redrawing it.
assets: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) --target generate-images asset-check -j $(JOBS)
	$(BUILD)/generate-images src/assets/data docs/contact_sheet.png
	$(BUILD)/generate-images --icons src/assets/icon
	$(BUILD)/asset-check src/assets/data

# Regenerates the module from its composer and checks it, then its loudness step:
# one pass through the show's mixer must measure -15..-13 LUFS with its true peak
# at or below -1 dBTP and nothing clipped (libxmp-dev and sox draw
# docs/music_spectrogram.png when they are installed).
music: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) --target music-composer module-check music-loudness -j $(JOBS)
	$(BUILD)/music-composer src/assets/data/music.xm
	$(BUILD)/module-check src/assets/data/music.xm
	$(BUILD)/music-loudness --check src/assets/data/music.xm
	-cmake --build $(BUILD) --target music_spectrogram

# The cross-built libraries are made once into $(BUILD_WIN32)/deps/prefix and reused.
windows: deps
	$(call install_missing,$(WINDOWS_PACKAGES))
	JOBS=$(JOBS) tools/win32/build_prefix.sh $(BUILD_WIN32)/deps
	cmake -S . -B $(BUILD_WIN32) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/i686-w64-mingw32.cmake \
	  -DINVITATION_WIN32_PREFIX=$(abspath $(BUILD_WIN32))/deps/prefix
	cmake --build $(BUILD_WIN32) -j $(JOBS)

wine-deps:
	@dpkg --print-foreign-architectures | grep -qx i386 || $(SUDO) dpkg --add-architecture i386
	$(call install_missing,$(WINE_PACKAGES))

# The WebAssembly libraries are made once into $(BUILD_WEB)/deps/prefix and reused.
# WEB_TESTS=ON adds the WebAssembly unit tests (make test sets it).
web:
	$(call install_missing,$(WEB_PACKAGES))
	JOBS=$(JOBS) tools/web/build_prefix.sh $(BUILD_WEB)/deps
	cmake -S . -B $(BUILD_WEB) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/emscripten.cmake \
	  -DINVITATION_WEB_PREFIX=$(abspath $(BUILD_WEB))/deps/prefix -DINVITATION_WEB_TESTS=$(WEB_TESTS)
	cmake --build $(BUILD_WEB) -j $(JOBS)

# Chromium, and playwright-core at the version the lock file pins, in
# $(BUILD_WEB)/test-node (never a browser download: the tests use Debian's Chromium).
web-test-deps:
	$(call install_missing,$(WEB_TEST_PACKAGES))
	mkdir -p $(BUILD_WEB)/test-node
	cp tests/web/package.json tests/web/package-lock.json $(BUILD_WEB)/test-node/
	cd $(BUILD_WEB)/test-node && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error

test: WEB_TESTS = ON

# The release from the Windows and web builds and the native show
# (tools/release/make_release.sh): $(BUILD_RELEASE)/norvale2008-invitation.zip and
# the Debian package, byte for byte the same from the same commit.
release: deps windows web
	$(call install_missing,$(RELEASE_PACKAGES))
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) --target invitation invitation-capture release-picture release-texts -j $(JOBS)
	tools/release/make_release.sh $(BUILD) $(BUILD_WIN32) $(BUILD_WEB) $(BUILD_RELEASE)

# The libFuzzer harnesses (tests/fuzz) in a clang build of their own. `make test`
# replays their seeds and fuzzes each a few seconds; `make fuzz` fuzzes each for
# FUZZ_SECONDS, keeping the corpus in $(BUILD_FUZZ)/fuzz-corpus.
fuzz-build: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DINVITATION_FUZZ=ON
	cmake --build $(BUILD_FUZZ) --target fuzzers -j $(JOBS)

fuzz: fuzz-build
	tests/fuzz/fuzz_all.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# The daily loop: unit, GL, capture and end-to-end tests of the native build. The
# tests labelled windows or browser need those builds and are left out; `make test`
# runs them. (A build folder configured by `make test` keeps naming those builds.)
check: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'windows|browser'
	@$(call print_skip_reasons,$(BUILD))

test: test-deps windows wine-deps web web-test-deps fuzz-build release
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=ON \
	  -DINVITATION_WIN32_DIR=$(abspath $(BUILD_WIN32)) -DINVITATION_WEB_DIR=$(abspath $(BUILD_WEB)) \
	  -DINVITATION_RELEASE_DIR=$(abspath $(BUILD_RELEASE))
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(call print_skip_reasons,$(BUILD))
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DINVITATION_TESTS=ON -DINVITATION_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -L sanitized
	cd $(BUILD_FUZZ) && ctest --output-on-failure -j $(JOBS) -L fuzz

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_WIN32) $(BUILD_WEB) $(BUILD_FUZZ) $(BUILD_RELEASE)
