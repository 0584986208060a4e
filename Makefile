# Two commands do everything on a fresh Debian 12 machine:
#   make run    installs what is missing, builds and starts the program
#   make test   installs what is missing, builds and runs the whole test suite
BUILD ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)/src/pinnuvo

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Benchmarks of a Release build, written to bench/RESULTS.md.
bench: deps
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build-release -j $(JOBS)
	@python3 bench/run.py build-release

clean:
	rm -rf $(BUILD) build-release
