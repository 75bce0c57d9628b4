# The two commands of the README. Both do all set-up on a fresh Debian machine (as root).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-asan fuzz format format-check demo bench clean package docs

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

# Every C++ file as .clang-format says: format-check fails on a file that is not, format fixes it.
# It also fails on an include of the library or its tools that climbs out of its folder ("../"):
# a layer includes from its own include root, which holds it to the layering.
CXX_FILES = $(shell git ls-files '*.cpp' '*.h')
CLIMBING_INCLUDE = ^[[:space:]]*\#[[:space:]]*include[[:space:]]*["<]([^">]*/)?\.\./
format-check: deps
	@clang-format --dry-run -Werror $(CXX_FILES)
	@! grep -HnE '$(CLIMBING_INCLUDE)' $(filter src/% include/% tools/%,$(CXX_FILES)) \
		|| { echo "format-check: the includes above climb out of their folder" >&2; exit 1; }
format: deps
	@clang-format -i $(CXX_FILES)

# The fuzz targets, instrumented with clang's libFuzzer and the sanitizers, each run for
# FUZZ_SECONDS from the seed corpus.
FUZZ_SECONDS ?= 60
fuzz:
	@./scripts/setup-deps.sh fuzz
	@CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DQUILLON_FUZZ=ON -DQUILLON_BUILD_TESTS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_gridfile_json fuzz_gridfile_csv fuzz_settings \
		fuzz_picture fuzz_jsoncells
	@./scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

demo: build
	@./scripts/demo.sh

# Debian packages of the build (libquillon0, libquillon-dev, quillon-print) in
# $(BUILD_DIR)/packages.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/packages/*.deb

# The API reference of the public headers, in $(BUILD_DIR)/docs/html. A public class,
# function or value without a comment fails it.
docs: deps
	@mkdir -p $(BUILD_DIR)/docs
	@QUILLON_DOCS_OUT=$(BUILD_DIR)/docs doxygen docs/Doxyfile
	@echo "The API reference: $(BUILD_DIR)/docs/html/index.html"

bench:
	@./bench/run.sh

clean:
	rm -rf $(BUILD_DIR) build-asan build-bench build-fuzz
