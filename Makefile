# The README's commands. Each does its own set-up on a fresh Debian 12 machine.
NATIVE  := build/native
WINDOWS := build/windows
JOBS    := $(shell nproc)

.PHONY: all setup native windows test test-native test-windows demo bench screenshot clean

all: native windows

setup:
	@bash scripts/setup.sh

native: setup
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

test: test-native test-windows

demo: native
	@bash scripts/demo.sh $(NATIVE)/bin/sondrix-cli

bench: setup
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/bench -j $(JOBS) --target sondrix-bench
	build/bench/bin/sondrix-bench

# docs/sondrix.png: the real program under Wine and Xvfb after a copy of samples/.
screenshot: windows
	bash scripts/screenshot.sh $(WINDOWS)

clean:
	rm -rf build
