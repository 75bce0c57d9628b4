# The two commands of the README. Both do all set-up on a fresh Debian machine (as root).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-asan demo bench clean

all: build

deps:
	@./scripts/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Every test once more under the address and undefined-behaviour sanitizers.
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

demo: build
	@./scripts/demo.sh

bench:
	@./bench/run.sh

clean:
	rm -rf $(BUILD_DIR) build-asan build-bench
