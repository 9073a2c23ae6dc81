SHELL := /bin/bash
# make run      - install what is missing, build, start the program
# make test     - install what is missing, build, run the whole suite (windows under Xvfb)
# make test-sanitize - the same suite built with AddressSanitizer and UBSan
# make bench    - the measurements (Google Benchmark)
# make package  - the Debian packages quellbit-cli and quellbit, built with Debian's hardening
#                 flags and checked after they are built
# make release  - both programs as a user builds them (Release, warnings not errors), and
#                 the command line alone the same way with its tests
# make fuzz     - each libFuzzer target for FUZZ_SECONDS (default 60)
# make web      - the browser page, build-web/quellbit.html (Emscripten)
# make cli      - only the command line and its tests, without Qt (a build server)
# make test-cli - the same, then its tests
# make windows  - quellbit-cli.exe cross-built with MinGW-w64, packed as quellbit-cli-VERSION-win64.zip
# make test-windows - its Windows tests under Wine, and its data files against the Linux build's
# make deps     - install the Debian packages every target needs, now
#
# Each build folder belongs to a CMake preset of the same purpose
# (CMakePresets.json). Packages are looked up once and then only when this
# file changes: a stamp in build/.stamps says they are there.

PACKAGES := cmake ninja-build g++ libpng-dev libjpeg62-turbo-dev libgif-dev libwebp-dev qt6-base-dev libgl-dev libxcb1-dev xvfb xauth \
            libbenchmark-dev clang libclang-rt-14-dev fonts-dejavu-core fonts-liberation \
            dpkg-dev file help2man scdoc netpbm imagemagick doctest-dev
# What the command line alone needs: a compiler, CMake and the picture
# libraries (libpng, libjpeg-turbo, giflib, libwebp), and doctest for its
# tests.
CLI_PACKAGES := cmake ninja-build g++ libpng-dev libjpeg62-turbo-dev libgif-dev libwebp-dev doctest-dev
# What the Windows build and its tests under Wine need.
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 doctest-dev wine64 zip
# The browser page: Emscripten builds it; the page's tests and measurements
# drive Chromium, and the tests Firefox too, from Node (puppeteer-core from
# npm, package-lock.json).
WEB_PACKAGES := emscripten chromium firefox-esr nodejs
# What the package check runs.
CHECK_PACKAGES := lintian appstream desktop-file-utils bash-completion zsh fish man-db devscripts

BUILD       := build
CLI_BUILD   := build-cli
ASAN_BUILD  := build-asan
BENCH_BUILD := build-bench
WINDOWS_BUILD := build-windows
PACKAGE_BUILD := build-package
WEB_BUILD   := build-web
FUZZ_BUILD  := build-fuzz
STAMPS      := $(BUILD)/.stamps
FUZZ_SECONDS ?= 60
FUZZERS := header intake datafile prepare jpeg gif webp
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96"
# Debian's emcc runs its JavaScript tools with a Node that does not search
# Debian's module folder (acorn) on its own.
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs

.PHONY: all deps build run test test-sanitize bench fuzz package release screenshots cli test-cli web windows test-windows clean

all: build

# $(call install,PACKAGES): apt-get install those of PACKAGES that are missing.
define install
missing=""; for p in $(1); do \
  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
done; \
if [ -n "$$missing" ]; then \
  echo "Installing:$$missing"; \
  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO=sudo; fi; \
  $$SUDO apt-get update -qq && \
  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
fi
endef

$(STAMPS)/deps: Makefile
	@$(call install,$(PACKAGES))
	@mkdir -p $(@D) && touch $@
$(STAMPS)/cli-deps: Makefile
	@$(call install,$(CLI_PACKAGES))
	@mkdir -p $(@D) && touch $@
$(STAMPS)/windows-deps: Makefile
	@$(call install,$(WINDOWS_PACKAGES))
	@mkdir -p $(@D) && touch $@
$(STAMPS)/check-deps: Makefile
	@$(call install,$(CHECK_PACKAGES))
	@mkdir -p $(@D) && touch $@
$(STAMPS)/web-deps: Makefile
	@$(call install,$(WEB_PACKAGES))
	@command -v npm >/dev/null || { $(call install,npm); }
	@mkdir -p $(@D) && touch $@

# puppeteer-core, exactly as package-lock.json names it; it downloads no browser.
node_modules/.package-lock.json: package.json package-lock.json | $(STAMPS)/web-deps
	npm ci

deps:
	@$(call install,$(PACKAGES) $(CHECK_PACKAGES) $(WEB_PACKAGES) $(WINDOWS_PACKAGES))
	@mkdir -p $(STAMPS) && touch $(STAMPS)/deps $(STAMPS)/cli-deps $(STAMPS)/check-deps $(STAMPS)/web-deps $(STAMPS)/windows-deps

$(BUILD)/build.ninja: | $(STAMPS)/deps
	cmake --preset dev

build: $(STAMPS)/deps $(BUILD)/build.ninja
	cmake --build --preset dev

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: start 'make run' from a desktop session (or set DISPLAY)."; exit 1; fi
	$(BUILD)/bin/quellbit

test: build web node_modules/.package-lock.json
	$(XVFB) ctest --preset dev

web: $(STAMPS)/web-deps
	$(EMSCRIPTEN_ENV) emcmake cmake --preset web
	$(EMSCRIPTEN_ENV) cmake --build --preset web

test-sanitize: $(STAMPS)/deps
	cmake --preset asan
	cmake --build --preset asan
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(XVFB) ctest --preset asan

cli: $(STAMPS)/cli-deps
	cmake --preset cli
	cmake --build --preset cli

test-cli: cli
	ctest --preset cli

# One executable on Windows' own DLLs alone: anything else it imports fails
# the build.
windows: $(STAMPS)/windows-deps
	cmake --preset windows
	cmake --build --preset windows
	@echo "== DLLs quellbit-cli.exe imports"; x86_64-w64-mingw32-objdump -p $(WINDOWS_BUILD)/bin/quellbit-cli.exe | grep 'DLL Name'; \
	  ! x86_64-w64-mingw32-objdump -p $(WINDOWS_BUILD)/bin/quellbit-cli.exe | grep 'DLL Name' | \
	    grep -v -i -E 'DLL Name: (kernel32|msvcrt|ole32|oleaut32|user32|advapi32|windowscodecs|shell32)\.dll'
	@ls -l $(WINDOWS_BUILD)/quellbit-cli-*-win64.zip

test-windows: windows cli
	tests/windows/run-under-wine.sh $(WINDOWS_BUILD) $(CLI_BUILD)/bin/quellbit-cli

bench: $(STAMPS)/deps web node_modules/.package-lock.json
	cmake --preset bench
	cmake --build --preset bench
	@for b in $(BENCH_BUILD)/bin/bench_*; do case $$b in */bench_file_loop|*/bench_peak_memory) continue;; esac; \
	  echo "== $$b"; $(XVFB) $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; done
	@echo "== ldd quellbit-cli (no Qt, X11, GL or ICU)"; ldd $(BENCH_BUILD)/bin/quellbit-cli; \
	  ! ldd $(BENCH_BUILD)/bin/quellbit-cli | grep -E -i 'libQt|libX|libxcb|libGL|libEGL|libOpenGL|libicu'
	@echo "== the browser page in headless Chromium"; \
	  node bench/web_bench.mjs $(WEB_BUILD)/quellbit.html $(BENCH_BUILD)/bin/web_convert_native samples/logo.bmp

# The README's pictures of both windows, taken under Xvfb; the main window
# also at 120 dots per inch; the browser page in headless Chromium.
screenshots: build web node_modules/.package-lock.json
	cmake --build --preset dev --target screenshots
	$(XVFB) $(BUILD)/bin/screenshots docs/form1.png docs/form2.png
	QT_FONT_DPI=120 $(XVFB) $(BUILD)/bin/screenshots docs/form1-120dpi.png
	node tools/page_screenshot.mjs $(WEB_BUILD)/quellbit.html docs/page.png docs/page-preview.png

# The packages are built in a folder of their own with the flags Debian builds
# its packages with (dpkg-buildflags, every hardening feature on: stack
# protector, fortified functions, read-only relocations, immediate binding,
# position-independent executables); CMake reads CPPFLAGS nowhere, so they
# go in front of CXXFLAGS.
package: $(STAMPS)/deps $(STAMPS)/check-deps
	rm -rf $(PACKAGE_BUILD)
	eval "$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)" && \
	  CXXFLAGS="$$CPPFLAGS $$CXXFLAGS" CFLAGS="$$CPPFLAGS $$CFLAGS" cmake --preset package
	cmake --build --preset package
	cd $(PACKAGE_BUILD) && cpack
	packaging/check-package.sh $(PACKAGE_BUILD)/bin/quellbit-cli $(PACKAGE_BUILD)/package/*.deb

release: $(STAMPS)/deps
	cmake --preset release
	cmake --build --preset release
	cmake --preset release-cli
	cmake --build --preset release-cli
	ctest --preset release-cli

# Each fuzzer starts from the shipped pictures and data files and from every
# earlier finding in tests/data/fuzz/; what it learns stays in
# $(FUZZ_BUILD)/corpus, what it prints in $(FUZZ_BUILD)/logs (the end of it
# is shown when it fails). A crash, or an input that makes the process take
# more than 256 MB, stops the run and leaves its input in
# $(FUZZ_BUILD)/artifacts. The fuzz build's decoders hold at most 32 MiB of
# pixels whole (256 MiB otherwise), so that every input they accept fits.
# AddressSanitizer keeps freed memory in a small quarantine only and hands
# free pages back to the system, so that what counts is the input's, not
# what earlier inputs left in its allocator. Leaks are looked for after each
# input, not once more at exit: a run once ended there with an empty "crash"
# and no report, as LeakSanitizer does when it cannot stop the threads. A
# unit may take 60 s: the fuzz build resamples 25 to 80 times more slowly
# than a release build, where the largest pictures prepare takes cost a
# good part of a second.
FUZZ_ASAN := quarantine_size_mb=16:allocator_release_to_os_interval_ms=500:leak_check_at_exit=0
fuzz: $(STAMPS)/deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target $(addprefix fuzz_,$(FUZZERS))
	@set -e; mkdir -p $(FUZZ_BUILD)/artifacts $(FUZZ_BUILD)/logs; for t in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  case $$t in datafile) inputs=fuzz/corpus/datafile;; prepare|jpeg|gif|webp) inputs=tests/data/prepare;; *) inputs="samples tests/data";; esac; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  status=0; ASAN_OPTIONS=$(FUZZ_ASAN) \
	  $(FUZZ_BUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=60 -rss_limit_mb=256 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t- \
	    $(FUZZ_BUILD)/corpus/$$t $$inputs $$(ls -d tests/data/fuzz/$$t 2>/dev/null) > $(FUZZ_BUILD)/logs/$$t.log 2>&1 || status=$$?; \
	  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|CHECK failed|Test unit written' $(FUZZ_BUILD)/logs/$$t.log || true; \
	  if [ $$status -ne 0 ]; then echo "fuzz_$$t ended with status $$status; the end of its log:"; \
	    grep -v -E '^(#[0-9]+|"|###)' $(FUZZ_BUILD)/logs/$$t.log | tail -n 60; exit 1; fi; \
	done

clean:
	rm -rf $(BUILD) $(CLI_BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD) $(WEB_BUILD) build-release build-release-cli $(WINDOWS_BUILD)
