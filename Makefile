# Entry points: `make run` and `make test` set up a fresh Debian 12 machine
# (as root) and build before they run. Everything else is plain CMake.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   := cmake
CONFIG  := -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build run test bench fuzz coverage package screenshot clean

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

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

package: build
	@cd $(BUILD) && cpack -G DEB

screenshot: build
	@scripts/screenshot $(BUILD) docs/numberwell.png

clean:
	rm -rf $(BUILD) build-*
