# The two commands of the README: `make demo` and `make test`. Plain `make`
# builds the programs (and the word set, when its builder is present).
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
RELEASE := build/release
DEBUG := build/debug
WINDOWS := build/windows

.PHONY: all build test demo bootstrap clean install package windows windows-installer

all: build

bootstrap:
	@tools/bootstrap
	@ln -sfn $(DEBUG)/compile_commands.json compile_commands.json  # for editors

# The manual pages name the installed paths, so the prefix is set when configuring.
PREFIX ?= /usr/local
build: bootstrap
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DVOCRIG_TESTS=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)
	@if [ -x tools/make-voice ]; then tools/make-voice --if-stale wave; fi

# The Windows programs (and their tests), cross-built with MinGW-w64.
windows: bootstrap
	@cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=platform/win32/toolchain-mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVOCRIG_TESTS=ON >/dev/null
	@cmake --build $(WINDOWS) -j $(JOBS)

# The Windows setup program, build/windows/vocrig-<version>-setup.exe (NSIS):
# the programs, the word set in wave\, a sample vocrig.cfg, the README as text.
windows-installer: windows
	@if [ -x tools/make-voice ]; then tools/make-voice --if-stale wave; fi
	@cmake --build $(WINDOWS) --target windows_installer

# Also runs the Windows build's tests under Wine (the setup program's as well).
test: bootstrap windows-installer
	@cmake -S . -B $(DEBUG) -DCMAKE_BUILD_TYPE=Debug -DVOCRIG_SANITIZE=ON \
	  -DVOCRIG_WINDOWS_DIR=$(abspath $(WINDOWS)) >/dev/null
	@cmake --build $(DEBUG) -j $(JOBS)
	@cd $(DEBUG) && ctest --output-on-failure -j $(JOBS) --timeout 300

demo: build
	@if [ -x tools/demo ]; then tools/demo; else echo "The demo is not ready yet."; fi

# Installs into PREFIX (default /usr/local): the programs, the word set, manual pages.
install: build
	@cmake --install $(RELEASE) --prefix $(PREFIX)

# A Debian package of the same, in build/release (installs under /usr).
package: PREFIX = /usr
package: build
	@cd $(RELEASE) && cpack -G DEB >/dev/null && ls -1 $$(pwd)/*.deb

clean:
	rm -rf build

.PHONY: fuzz
# libFuzzer targets (clang), each run for FUZZ_SECONDS; new coverage is kept in fuzz/corpus.
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@tools/bootstrap fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOCRIG_FUZZ=ON -DVOCRIG_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target fuzz_all
	@tools/fuzz $(FUZZ)/bin $(FUZZ_SECONDS)
