# Entry points: `make run` and `make test` set up a fresh Debian 12 machine
# (as root) and build before they run. Everything else is plain CMake.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   := cmake
CONFIG  := -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build run test sanitize bench fuzz coverage valgrind package screenshot clean

FUZZ_SECONDS ?= 60

all: build

deps:
	@scripts/install-deps

configure: deps
	@$(CMAKE) -S . -B $(BUILD) $(CONFIG) >/dev/null

build: configure
	@$(CMAKE) --build $(BUILD) -j $(JOBS)

# Checked when the recipe runs, after the build: one line, and a non-zero exit.
run: build
	$(if $(DISPLAY)$(WAYLAND_DISPLAY)$(QT_QPA_PLATFORM),,$(error No display: DISPLAY and WAYLAND_DISPLAY are unset. Start it from a desktop session, or headless as: xvfb-run make run))
	@$(BUILD)/app/numberwell

# The whole suite, then once more built with AddressSanitizer and UBSan.
test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize

sanitize: deps
	@$(CMAKE) -S . -B build-asan $(CONFIG) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNW_SANITIZE=address,undefined >/dev/null
	@$(CMAKE) --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# libFuzzer on the converter window for FUZZ_SECONDS (clang-14, build-fuzz).
fuzz: deps
	@scripts/fuzz $(FUZZ_SECONDS)

# Line coverage of the runtime, the conversions and both windows (build-cov).
coverage: deps
	@scripts/coverage

# Start-up against a bare Qt window, keystroke cascades, conversions (build-bench).
bench: deps
	@scripts/bench

# A scripted session of the real program under valgrind memcheck (build-bench).
valgrind: deps
	@scripts/valgrind-session

package: build
	@cd $(BUILD) && cpack -G DEB

screenshot: build
	@scripts/screenshot $(BUILD) docs/numberwell.png

clean:
	rm -rf $(BUILD) build-*
