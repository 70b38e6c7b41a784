# Front door. Every target does its own set-up.
SHELL := /bin/bash
JOBS ?= 2

.PHONY: all deps configure build test test-native test-win64 dist demo bench fuzz clean

all: build

deps:
	bash tools/setup/install-deps.sh

configure: deps
	cmake --preset native >/dev/null
	cmake --preset win64 >/dev/null
	cmake --preset win32 >/dev/null

build: configure
	cmake --build --preset native -j $(JOBS)
	cmake --build --preset win64 -j $(JOBS)
	cmake --build --preset win32 -j $(JOBS)

test: build
	bash tools/setup/check-pe.sh build/win64 build/win32
	$(MAKE) --no-print-directory dist >/dev/null
	bash tests/signing/dist-signed-test.sh dist
	ctest --preset native
	# One rerun of a failed test: plugin_run_win_unittest can hang under heavy load.
	ctest --preset win64 --repeat until-pass:2
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz

dist: deps
	cmake --preset win64 >/dev/null
	cmake --preset win32 >/dev/null
	cmake --build --preset win64 -j $(JOBS) --target KXLaunch NPKXGamePlugin
	cmake --build --preset win32 -j $(JOBS) --target KXLaunch NPKXGamePlugin
	mkdir -p dist/win32 dist/win64
	cp build/win32/launcher/KXLaunch.exe build/win32/plugin/NPKXGamePlugin.dll dist/win32/
	cp build/win64/launcher/KXLaunch.exe build/win64/plugin/NPKXGamePlugin.dll dist/win64/
	rm -f dist/KXGameSetup-*.exe
	bash tools/signing/sign-dist.sh dist bash installer/build-installers.sh dist
	@file dist/win32/* dist/win64/* dist/KXGameSetup-*.exe

# The main job: the whole chain on this machine, a cold and a warm run.
demo: deps
	cmake --preset native >/dev/null
	cmake --preset win64 >/dev/null
	cmake --build --preset native -j $(JOBS) --target kxpack
	cmake --build --preset win64 -j $(JOBS) --target KXLaunch NPKXGamePlugin kx_test_browser \
	  kx_game_standin trust_root kx_box_answerer
	python3 tools/demo/kxdemo.py demo
	bash tools/page_bridge/demo.sh

bench:
	@if ls bench/*.sh >/dev/null 2>&1; then for b in bench/*.sh; do bash "$$b" || exit 1; done; \
	else echo "no benchmarks yet"; fi

# A longer search than the seeded runs of make test: FUZZ_SECONDS per fuzzer.
FUZZ_SECONDS ?= 120
fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz -R fuzz_seeds >/dev/null
	@set -o pipefail; cd build/fuzz/tests/fuzz && for f in *_fuzzer; do \
	  echo "== $$f ($(FUZZ_SECONDS) s)"; \
	  ./$$f -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=1024 \
	    -artifact_prefix=$$PWD/$$f- corpus/$$f seeds/$$f 2>&1 | tail -2 || exit 1; \
	done

clean:
	rm -rf build/native build/win64 build/win32 build/fuzz dist
