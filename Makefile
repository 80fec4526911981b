# Two commands set everything up on a fresh Debian 12 machine:
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test
# make run DOUBLES=0 starts the program alone, for real boxes;
# make package builds the Debian package into $(BUILD).
# Longer checks, kept out of make test:
#   make test-sanitize   the tests under ASan+UBSan, the engine's and the scanner's under TSan
#   make fuzz            every fuzz target under libFuzzer for FUZZ_SECONDS each
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
DOUBLES ?= 1
FUZZ_SECONDS ?= 30

.PHONY: all deps configure build run test test-sanitize fuzz bench package format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@QVPC_DOUBLES=$(DOUBLES) scripts/run $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure --timeout 300 -j $(JOBS)

test-sanitize: deps
	@JOBS=$(JOBS) scripts/test-sanitize

fuzz:
	@scripts/install-deps fuzz
	@JOBS=$(JOBS) scripts/fuzz $(FUZZ_SECONDS)

bench: build
	@cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	@scripts/bench $(BUILD)

# Only what the package holds is built for it.
package: configure
	@cmake --build $(BUILD) --target qvpc qvpc_icons -j $(JOBS)
	@cd $(BUILD) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) build-asan build-tsan build-fuzz
