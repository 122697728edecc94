# Front door of the Kelvara build. The README documents these targets.
#   make test   install what is missing, build, run the whole test suite
#   make bench  build and run the benchmarks
#   make run    start the program
#   make asan-test / tsan-test   the suite under sanitizers
#   make install  install under CMAKE_INSTALL_PREFIX (default /usr/local), honouring DESTDIR
#   make package  build the Debian package into $(BUILD_DIR)
#   make soak   the user's working day repeated for SOAK_MINUTES, memory and open files watched

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
CTEST_FLAGS ?=

# Tests and benchmarks that open windows need an X display; without one they
# run inside a private Xvfb server.
XRUN := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX")

.PHONY: all deps build test bench run soak asan-test tsan-test tsan-threads install package format format-check clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && $(XRUN) ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

bench: build
	@set -e; found=0; for b in $(BUILD_DIR)/bin/bench_*; do \
		[ -x "$$b" ] || continue; found=1; \
		echo "== $$b"; $(XRUN) $$b $(BENCH_FLAGS); \
	done; [ $$found = 1 ] || { echo "make bench: no benchmarks built"; exit 1; }

# The scenario suite's long form: one copy of the program kept busy for
# SOAK_MINUTES under its own 1920 x 1080 X server (the clicks go to fixed
# places of the maximised window), then its memory and open files reported.
SOAK_MINUTES ?= 30
soak: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target scenario_tests
	cd $(BUILD_DIR)/tests/scenario && KELVARA_SOAK_MINUTES=$(SOAK_MINUTES) \
		xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" ../../bin/scenario_tests --gtest_filter='SoakTest.*'

run: build
	@if [ -z "$$DISPLAY" ]; then \
		echo "make run: no X display (DISPLAY is not set); start it from a desktop session"; \
		exit 1; \
	fi
	KELVARA_VIRTUAL_CAMERAS=$${KELVARA_VIRTUAL_CAMERAS-demo} $(BUILD_DIR)/bin/Kelvara

# CMAKE_INSTALL_PREFIX (or PREFIX) on the command line overrides the prefix
# the build was configured with.
INSTALL_PREFIX := $(or $(CMAKE_INSTALL_PREFIX),$(PREFIX))

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) $(if $(INSTALL_PREFIX),--prefix "$(INSTALL_PREFIX)")

package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/*.deb

asan-test:
	$(MAKE) test BUILD_DIR=build-asan CMAKE_FLAGS="-DKELVARA_SANITIZE=address -DKELVARA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

tsan-test:
	$(MAKE) test BUILD_DIR=build-tsan CMAKE_FLAGS="-DKELVARA_SANITIZE=thread -DKELVARA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

# The programs whose tests exercise threads (camera delivery, render thread,
# cross-thread messages, the recorder) under ThreadSanitizer; CI runs these.
# camera_directshow_tests stays out: its still tests race real timeouts of a
# few hundred milliseconds, which TSan's slowdown turns into failures.
TSAN_TESTS = controller_tests view_tests camera_wireless_tests duilib_tests capture_tests
empty :=
space := $(empty) $(empty)
tsan-threads: deps
	cmake -S . -B build-tsan -DKELVARA_SANITIZE=thread -DKELVARA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	cd build-tsan && $(XRUN) ctest --output-on-failure -R '^($(subst $(space),|,$(TSAN_TESTS)))$$'$(if $(CTEST_FLAGS), $(CTEST_FLAGS))

SOURCES = $(shell git ls-files '*.cpp' '*.h' '*.hpp')

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES) && echo "format-check: $(words $(SOURCES)) files clean"

clean:
	rm -rf build build-asan build-tsan
