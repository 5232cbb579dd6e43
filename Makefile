# make        builds both builds (native and windows)
# make test   sets up the machine, builds, and runs every test of both builds
# make demo   packs the sample configuration, stamps it into setup.exe and starts it under Wine
# make bench  prints speed figures beside standard tools (native, and Download and the install
#             under Wine)
# make fuzz   runs every libFuzzer target for FUZZ_SECONDS (30) each, in build/fuzz (clang)
BUILD := build
CMAKE_NATIVE := cmake -S . -G Ninja
TOOLCHAIN := cmake/mingw-w64-x86_64.cmake
FUZZ_SECONDS ?= 30

.PHONY: all setup native sanitizers windows build-all test demo bench fuzz clean

all: setup build-all

build-all: native windows

setup:
	@scripts/setup.sh

native:
	@[ -f $(BUILD)/native/build.ninja ] || $(CMAKE_NATIVE) -B $(BUILD)/native >/dev/null
	@cmake --build $(BUILD)/native

sanitizers:
	@[ -f $(BUILD)/native-asan/build.ninja ] || $(CMAKE_NATIVE) -B $(BUILD)/native-asan -DSANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/native-asan

windows:
	@[ -f $(BUILD)/windows/build.ninja ] || $(CMAKE_NATIVE) -B $(BUILD)/windows -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) >/dev/null
	@cmake --build $(BUILD)/windows

test: setup
	@$(MAKE) --no-print-directory native sanitizers windows
	@scripts/run-tests.sh

# Only what the demo runs: setupkit in both builds; the stub, the headless install, the
# uninstaller, the updater and the sample client in the windows build. No tests.
demo: setup
	@[ -f $(BUILD)/native/build.ninja ] || $(CMAKE_NATIVE) -B $(BUILD)/native >/dev/null
	@cmake --build $(BUILD)/native --target setupkit
	@[ -f $(BUILD)/windows/build.ninja ] || $(CMAKE_NATIVE) -B $(BUILD)/windows -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) >/dev/null
	@cmake --build $(BUILD)/windows --target setupkit setup install_headless uninstaller updater \
	  sample_client
	@scripts/demo.sh

bench: setup
	@$(MAKE) --no-print-directory native windows
	@scripts/bench.sh

fuzz: setup
	@[ -f $(BUILD)/fuzz/build.ninja ] || CC=clang CXX=clang++ $(CMAKE_NATIVE) -B $(BUILD)/fuzz -DFUZZ=ON >/dev/null
	@cmake --build $(BUILD)/fuzz --target fuzzers
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh

clean:
	rm -rf $(BUILD)/native $(BUILD)/native-asan $(BUILD)/windows $(BUILD)/wineprefix \
	  $(BUILD)/wineprefix-hidpi \
	  $(BUILD)/test-logs $(BUILD)/bench $(BUILD)/fuzz
