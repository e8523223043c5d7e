# The two commands of the README. Everything else is CMake presets.
.PHONY: all deps configure build run test test-default test-asan bench clean screenshots

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

bench: build
	@for b in build/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf build build-asan


# Pictures of every tab and dialog under build/screenshots/, for a person to look at.
screenshots: configure
	$(CMAKE) --build --preset default --target ui_screenshots
	QT_QPA_PLATFORM=offscreen ./build/tests/ui/ui_screenshots build/screenshots
