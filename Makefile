# The README's commands. Each does its own set-up on a fresh Debian 12 machine.
NATIVE  := build/native
WINDOWS := build/windows
JOBS    := $(shell nproc)
RELEASE := build/release
DIST    := build/dist
PREFIX  ?= /usr/local
# Seconds for each fuzz target: make fuzz FUZZ_SECONDS=600; make test runs each for 20.
FUZZ_SECONDS ?= 180

.PHONY: all setup setup-native native windows test test-native test-windows demo bench screenshot clean \
  release dist install fuzz test-fuzz

all: native windows

setup:
	@bash scripts/setup.sh

# Only what the Linux build and its tests need: make native and make test-native build
# and test the command-line tool without Wine, MinGW or Xvfb.
setup-native:
	@bash scripts/setup.sh native

native: setup-native
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DSONDRIX_SANITIZE=ON >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

windows: setup
	cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
	cmake --build $(WINDOWS) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure

test-windows: windows native
	cd $(WINDOWS) && xvfb-run -a ctest --output-on-failure

test: test-native test-windows test-fuzz

# libFuzzer targets built with clang (AddressSanitizer, UndefinedBehaviorSanitizer): the
# converters, the line reader, command-line splitting, the playlist copies, the FAT reader.
fuzz:
	bash fuzz/fuzzAll.sh $(FUZZ_SECONDS)
	bash fuzz/run.sh $(FUZZ_SECONDS)

test-fuzz: setup
	bash fuzz/fuzzAll.sh 20
	bash fuzz/run.sh 20

demo: setup native
	@bash scripts/demo.sh $(NATIVE)/bin/sondrix-cli

bench:
	@bash scripts/setup.sh native rsync time
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/bench -j $(JOBS) --target sondrix-bench sondrix-cli
	build/bench/bin/sondrix-bench build/bench/bin/sondrix-cli

# docs/sondrix.png: the real program under Wine and Xvfb after a copy of samples/.
screenshot: windows
	bash scripts/screenshot.sh $(WINDOWS)

# The native command-line tool as shipped: Release, without sanitizers or tests. It needs
# only cmake, g++ and groff (preconv), not the Windows tools that setup installs. A
# warning of another compiler version must not stop a user's build.
release:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DSONDRIX_TESTS=OFF \
	  -DSONDRIX_WERROR=OFF >/dev/null
	cmake --build $(RELEASE) -j $(JOBS) --target sondrix-cli sondrix-cli-man

# build/dist/: the Windows zip and the Linux archive, named after the file VERSION.
dist: windows release
	@bash scripts/dist.sh windows $(WINDOWS)/bin $(DIST)
	@bash scripts/dist.sh linux $(RELEASE) $(DIST)

# The command-line tool and its manual page under PREFIX; DESTDIR stages them elsewhere.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE) --prefix "$(PREFIX)" --strip

clean:
	rm -rf build
