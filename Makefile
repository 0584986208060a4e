# Two commands do everything on a fresh Debian 12 machine:
#   make run    installs what is missing, builds and starts the program
#   make test   installs what is missing, builds and runs the whole test suite
# and a third makes what a school installs:
#   make deb    installs what is missing and builds the Debian package
# and, for schools on Windows, made and tested here under Wine:
#   make windows        the portable zip and the installer
#   make test-windows   the Qt Test suites and those two under Wine
# and, for Raspberry Pi (64-bit Arm), cross-built and tested under qemu-user:
#   make deb-arm64      the arm64 Debian package
#   make test-arm64     the suites, the package and its install under emulation
BUILD ?= build
ASAN_BUILD ?= build-asan
DEB_BUILD ?= build-deb
DEB_ARM64_BUILD ?= build-deb-arm64
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-debian13 asan-build bench deb deb-arm64 test-arm64 windows test-windows clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)/src/pinnuvo

# The whole suite on the Debug build, then the program's own tests and the
# randomised soak again under AddressSanitizer and UndefinedBehaviorSanitizer
# (the tests of the real binary under Xvfb run once, in the first pass).
test: build asan-build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		ctest --output-on-failure -j $(JOBS) -LE 'xvfb|desktop|a11y|packaging'

# The same suite on Debian 13, in a tree made once with debootstrap (needs root).
test-debian13:
	@scripts/test-debian13.sh

asan-build: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPINNUVO_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

# Benchmarks of a Release build, written to bench/RESULTS.md.
bench: deps
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build-release -j $(JOBS)
	@python3 bench/run.py build-release

# The Debian package of a Release build, in $(DEB_BUILD)/; says where it is.
deb: deps
	@JOBS=$(JOBS) packaging/build-deb.sh $(DEB_BUILD)

# The Debian package for 64-bit Arm (Raspberry Pi OS), cross-built, in
# $(DEB_ARM64_BUILD)/; says where it is. Adds arm64 to dpkg's architectures.
deb-arm64:
	@scripts/install-deps.sh --arm64
	@JOBS=$(JOBS) packaging/build-deb.sh $(DEB_ARM64_BUILD) arm64

# The arm64 build under qemu-user: its Qt Test suites, its package and the
# program from it, and its install in an arm64 Debian 13 tree made once with
# debootstrap. Needs root, or sudo.
test-arm64:
	@JOBS=$(JOBS) scripts/test-arm64.sh

# Pinnuvo for 64-bit Windows, in build-windows/: the portable zip and the
# installer, whose paths it prints last. Made with Debian 13's Qt 6.8 and
# MinGW-w64, in the Debian 13 tree of test-debian13 on another release. The
# first run builds Qt for Windows (about half an hour on two cores), which
# later runs reuse. Needs root, or sudo.
windows:
	@JOBS=$(JOBS) scripts/windows.sh

# The Windows build's Qt Test suites, and its zip and installer, under
# Debian 13's Wine.
test-windows:
	@JOBS=$(JOBS) scripts/test-windows.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-release $(DEB_BUILD) $(DEB_ARM64_BUILD) build-arm64-tests \
		build-windows build-windows-tests
