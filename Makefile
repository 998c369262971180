# The two commands for a fresh machine: `make run` and `make test`.
BUILD_DIR    ?= build
SAN_DIR      ?= build-sanitize
REL_DIR      ?= build-release
BUILD_TYPE   ?= RelWithDebInfo
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS  ?=

.PHONY: all deps configure build run test test-plain test-sanitize test-release-build \
        test-package test-parts clean translations

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZARN_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/zarn

TEST_PARTS := test-plain test-sanitize test-release-build test-package
test: $(TEST_PARTS)

# The parts of make test, for .ci/run to time one by one.
test-parts:
	@echo $(TEST_PARTS)

test-plain: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DZARN_WERROR=ON -DZARN_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS)

# The Release configuration (-O3) of the whole tree, tests included, as packagers build it: the
# optimiser finds warnings that the other builds do not. Built only; its tests are the same.
test-release-build: deps
	cmake -S . -B $(REL_DIR) -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_BENCH=ON -DZARN_WERROR=ON \
	      $(CMAKE_FLAGS)
	cmake --build $(REL_DIR) -j $(JOBS)

# Reads the texts out of the sources into resources/translations/*.ts and the helper's
# resources/translations/helper/*.po again: new texts come in unfinished, removed ones go. The
# test of the catalogues fails until every new one is translated.
translations: configure
	cmake --build $(BUILD_DIR) --target update_translations update_helper_translations

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(REL_DIR)

# The Debian package, built apart from the development build: prefix /usr, no tests. The staged
# tree takes its directory modes from the umask, and the package's must be 0755.
PKG_DIR      ?= build-package
BENCH_DIR    ?= build-bench

.PHONY: package bench test-system

# Compiled with Debian's hardening flags, as dpkg-buildpackage would: fortified C library calls,
# a stack protector, and relocations bound at start, which matters most for the root helper. The
# version check's module is linked with the same flags as the programs.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps
	cmake -S . -B $(PKG_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	      -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	      -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	      -DCMAKE_MODULE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	      -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF -DZARN_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(PKG_DIR) -j $(JOBS)
	umask 022 && cd $(PKG_DIR) && cpack -G DEB
	@ls $(PKG_DIR)/zarn_*.deb

# The package as `make package` builds it, checked by Debian's lintian (tests/install/lintian.sh).
# make test-system installs the same file in its guests.
test-package: package
	tests/install/lintian.sh "$$(ls -t $(PKG_DIR)/zarn_*.deb | head -n 1)"

# The benchmark: a release build of zarn-bench, then its table of medians; then the start-up of
# the release zarn beside a bare Qt window on an Xvfb of its own. STARTUP_BENCH_ARGS adds programs
# to that table as label=path (another build of zarn, say), or sets --rounds N.
STARTUP_BENCH_ARGS ?=
bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_TESTS=OFF \
	      -DZARN_BUILD_BENCH=ON -DZARN_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) -j $(JOBS) --target zarn-bench zarn-startup-bench
	$(BENCH_DIR)/bin/zarn-bench
	$(BENCH_DIR)/bin/zarn-startup-bench $(STARTUP_BENCH_ARGS)

# The real system: the package installed in Debian 12 guests under qemu that really power off,
# restart and sleep at their minute (tests/system/run.py). It never acts on this machine.
# ZARN_SYSTEM_SKIP names scenarios to leave out; scenario names after run.py's package run only those.
# The guests also get the test build's stand-in notification server, fake-notifier.
test-system: package configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target fake-notifier
	ZARN_FAKE_NOTIFIER=$(abspath $(BUILD_DIR))/bin/fake-notifier \
	python3 tests/system/run.py "$$(ls -t $(PKG_DIR)/zarn_*.deb | head -n 1)"
