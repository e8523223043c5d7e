# The README's two commands are `make run` and `make test`. Everything else is CMake presets.
.PHONY: all deps configure build run test test-slow test-asan test-clean-root test-windows \
        fuzz bench bench-e2e package test-package clean screenshots ci

CMAKE ?= cmake
CTEST ?= ctest

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	$(CMAKE) --preset default

build: configure
	$(CMAKE) --build --preset default

run: build
	./build/src/ui/tagwright

# The quick check: the default build and every test but the slow ones.
test: build
	$(CTEST) --preset default

# The tests labelled slow (thousands of files, a million rows), in the default build.
test-slow: build
	$(CTEST) --preset slow

# Every test, slow ones included, under AddressSanitizer and UndefinedBehaviorSanitizer, with
# warnings as errors.
test-asan: deps
	$(CMAKE) --preset asan
	$(CMAKE) --build --preset asan
	$(CTEST) --preset asan

# `git clone`, `make test`, `make test-slow` and `make run` in a fresh Debian 12 root (root only).
test-clean-root:
	bash scripts/test-clean-root.sh

# The core cross-built for Windows with MinGW-w64 and run under wine with code page 932.
test-windows:
	@bash scripts/install-deps.sh windows
	$(CMAKE) --preset windows-cross
	$(CMAKE) --build --preset windows-cross
	$(CTEST) --preset windows-cross

package: build
	cd build && cpack -G DEB

# Installs the .deb into a clean Debian 12 made with debootstrap and runs it there.
test-package:
	bash scripts/test-package.sh

# Every fuzzer for FUZZ_SECONDS under ASan and UBSan; fails on any finding.
FUZZ_SECONDS ?= 60
fuzz:
	@bash scripts/install-deps.sh fuzz
	$(CMAKE) --preset fuzz
	$(CMAKE) --build --preset fuzz
	bash fuzz/run.sh $(FUZZ_SECONDS)

# The benchmarks build into the default tree; CI only compiles them (in the asan tree).
bench: deps
	$(CMAKE) --preset default -DTAGWRIGHT_BUILD_BENCH=ON
	$(CMAKE) --build --preset default
	@for b in build/bench/*_bench; do echo "== $$b"; $$b; done

# tagwright-cli end to end against plain loops (and TagLib), warm and, as root, cold.
BENCH_FILES ?= 10000
bench-e2e: deps
	bash bench/run.sh $(BENCH_FILES)

# What CI runs (.ci/run).
ci: test-clean-root test-asan test-windows
	$(MAKE) fuzz FUZZ_SECONDS=$(CI_FUZZ_SECONDS)
CI_FUZZ_SECONDS ?= 15

clean:
	rm -rf build build-asan build-windows build-fuzz

# Pictures of every tab and dialog under build/screenshots/, for a person to look at.
screenshots: configure
	$(CMAKE) --build --preset default --target ui_screenshots
	QT_QPA_PLATFORM=offscreen ./build/tests/ui/ui_screenshots build/screenshots
