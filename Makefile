# Entry points: `make run` and `make test` set up a fresh Debian 12 machine
# (as root) and build before they run: `make run` only what building and
# running the program needs, `make test` the rest. Every build directory is a
# preset of CMakePresets.json; this file and scripts/ only choose which.
JOBS         ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE        := cmake

.PHONY: all deps test-deps configure build run test sanitize windows package-windows web run-web \
        bench fuzz coverage valgrind package release check-reproducible screenshot clean

all: build

deps:
	@scripts/install-deps run

test-deps:
	@scripts/install-deps test

# The program alone: its tests need packages of their own.
configure: deps
	@$(CMAKE) --preset release -DNW_TESTS=OFF >/dev/null

build: configure
	@$(CMAKE) --build --preset release -j $(JOBS)

# Without a display the program itself says how to start it, and exits 2.
run: build
	@build/app/numberwell

# The whole suite; again built with AddressSanitizer and UBSan; then the
# toolkit-free suites built for Windows and run under Wine; then built with
# Emscripten and run under node, with the page in headless Chromium.
test: test-deps
	@$(CMAKE) --preset release -DNW_TESTS=ON >/dev/null
	@$(CMAKE) --build --preset release -j $(JOBS)
	@ctest --preset release -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize
	@$(MAKE) --no-print-directory windows
	@scripts/wine-run build-windows/wine
	@ctest --preset windows -j $(JOBS)
	@$(CMAKE) --preset web -DNW_TESTS=ON >/dev/null
	@$(CMAKE) --build --preset web -j $(JOBS)
	@ctest --preset web -j $(JOBS)

sanitize: test-deps
	@$(CMAKE) --preset asan-ubsan >/dev/null
	@$(CMAKE) --build --preset asan-ubsan -j $(JOBS)
	@ctest --preset asan-ubsan -j $(JOBS)

# The 64-bit Windows build (mingw-w64, build-windows).
windows: test-deps
	@$(CMAKE) --preset windows >/dev/null
	@$(CMAKE) --build --preset windows -j $(JOBS)

# In build-windows: numberwell-VERSION-win64.zip (the program and README.md)
# and numberwell-VERSION-win64.msi (the per-user installer).
package-windows: windows
	@$(CMAKE) --build --preset windows --target package_zip package_msi

# build-web/numberwell.html: the program as one page, opened from disk or any
# static host (Emscripten; its tests need the test packages).
web: test-deps
	@$(CMAKE) --preset web -DNW_TESTS=OFF >/dev/null
	@$(CMAKE) --build --preset web -j $(JOBS)

# Opens the page where there is a desktop; otherwise says where it is.
run-web: web
	@if [ -n "$${DISPLAY}$${WAYLAND_DISPLAY}" ] && command -v xdg-open >/dev/null; then \
	  xdg-open build-web/numberwell.html; else echo "$(CURDIR)/build-web/numberwell.html"; fi

# libFuzzer on the converter window for FUZZ_SECONDS (clang-14, build-fuzz).
fuzz: test-deps
	@scripts/fuzz $(FUZZ_SECONDS)

# Line coverage of the runtime, the conversions and both windows (build-cov).
coverage: test-deps
	@scripts/coverage

# Start-up against a bare Qt window, keystroke cascades, conversions (build-bench);
# numberwell.exe's start-up under Wine against a bare Win32 window, and its size
# (build-bench-windows); the page's size, start-up and a keystroke in headless
# Chromium (build-web).
bench: test-deps
	@scripts/bench

# A scripted session of the real program under valgrind memcheck (build-bench).
valgrind: test-deps
	@scripts/valgrind-session

package: test-deps
	@$(CMAKE) --preset release >/dev/null
	@$(CMAKE) --build --preset release -j $(JOBS)
	@cd build && cpack -G DEB

# dist/: the .deb, the Windows zip and installer, the page, and SHA256SUMS; the same
# bytes from the same commit.
release: test-deps
	@scripts/release

# Builds the release twice in two temporary folders and compares the files.
check-reproducible: test-deps
	@scripts/check-reproducible

screenshot: build
	@scripts/screenshot build docs/numberwell.png

# Stops this tree's Wine first: its server outlives the tests by a minute.
clean:
	@[ ! -d build-windows/wine ] || WINEPREFIX=$(CURDIR)/build-windows/wine /usr/lib/wine/wineserver -k 2>/dev/null || true
	rm -rf build build-* dist
