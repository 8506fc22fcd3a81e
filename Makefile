# Two commands on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the show
#   make test   the same set-up plus the test tools, then the whole suite through ctest

BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)

# Packages the show needs to build and run.
RUN_PACKAGES = build-essential cmake pkg-config \
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev \
  libgl-dev libgl1-mesa-dri libegl-mesa0 libpng-dev libmikmod-dev \
  libgtk-3-dev libxrandr-dev
# Packages the tests, benchmarks and tools add.
TEST_PACKAGES = libgtest-dev libgmock-dev libbenchmark-dev libxmp-dev \
  xvfb xauth xdotool x11-utils imagemagick sox ffmpeg valgrind

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: run test build deps test-deps assets music clean

# Installs only what dpkg does not already report as installed.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
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

test: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DINVITATION_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DINVITATION_TESTS=ON -DINVITATION_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -L sanitized

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
