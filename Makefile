# The two commands of the README. Everything else is CMake presets.
.PHONY: all deps configure build run test test-default test-asan test-windows fuzz bench clean

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
