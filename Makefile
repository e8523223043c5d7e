# The two commands of the README. Everything else is CMake presets.
.PHONY: all deps configure build run test test-default test-asan test-windows fuzz bench package test-package clean screenshots

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

test: deps test-default test-asan

test-default:
	$(CMAKE) --preset default
	$(CMAKE) --build --preset default
	$(CTEST) --preset default

test-asan:
	$(CMAKE) --preset asan
	$(CMAKE) --build --preset asan
	$(CTEST) --preset asan

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

bench: build
	@for b in build/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf build build-asan build-windows build-fuzz

# Pictures of every tab and dialog under build/screenshots/, for a person to look at.
screenshots: configure
	$(CMAKE) --build --preset default --target ui_screenshots
	QT_QPA_PLATFORM=offscreen ./build/tests/ui/ui_screenshots build/screenshots
