SHELL := /bin/bash
# make run   - install what is missing, build, start the program
# make test  - install what is missing, build, run the whole suite (windows under Xvfb)
# make test-sanitize - the same suite built with AddressSanitizer and UBSan
# make bench - the measurements (Google Benchmark)
# make package - a Debian package, checked after it is built
# make fuzz  - each libFuzzer target for FUZZ_SECONDS (default 60)
# make cli   - only the command line and its tests, without Qt (a build server)
# make test-cli - the same, then its tests

PACKAGES := cmake ninja-build g++ libpng-dev qt6-base-dev libgl-dev xvfb xauth \
            libbenchmark-dev clang libclang-rt-14-dev fonts-dejavu-core fonts-liberation \
            dpkg-dev file netpbm imagemagick
# What the command line alone needs: a compiler, CMake and libpng.
CLI_PACKAGES := cmake g++ libpng-dev

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
CLI_BUILD  ?= build-cli
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96"
CTEST := ctest --output-on-failure --timeout 300

.PHONY: all deps cli-deps configure build run test test-sanitize bench fuzz package screenshots cli test-cli clean

all: build

deps: PACKAGE_LIST = $(PACKAGES)
cli-deps: PACKAGE_LIST = $(CLI_PACKAGES)
deps cli-deps:
	@missing=""; for p in $(PACKAGE_LIST); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: start 'make run' from a desktop session (or set DISPLAY)."; exit 1; fi
	$(BUILD)/bin/quellbit

test: build
	cd $(BUILD) && $(XVFB) $(CTEST)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUELLBIT_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(XVFB) $(CTEST)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLBIT_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BENCH_BUILD)
	@for b in $(BENCH_BUILD)/bin/bench_*; do case $$b in */bench_file_loop|*/bench_peak_memory) continue;; esac; echo "== $$b"; \
	  $(XVFB) $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; done
	@echo "== ldd quellbit-cli (no Qt, X11, GL or ICU)"; ldd $(BENCH_BUILD)/bin/quellbit-cli; \
	  ! ldd $(BENCH_BUILD)/bin/quellbit-cli | grep -E -i 'libQt|libX|libxcb|libGL|libEGL|libOpenGL|libicu'

# The README's pictures of both windows, taken under Xvfb.
screenshots: build
	cmake --build $(BUILD) --target screenshots
	$(XVFB) $(BUILD)/bin/screenshots docs/form1.png docs/form2.png

package: build
	rm -rf $(BUILD)/package
	cd $(BUILD) && cpack
	packaging/check-package.sh $$(ls $(BUILD)/package/*.deb) $(BUILD)/bin/quellbit-cli

# New inputs go to $(FUZZ_BUILD)/corpus; the initial inputs are the shipped bitmaps and
# data files and every earlier finding in tests/data/fuzz/. A crash stops the
# run and leaves its input in $(FUZZ_BUILD)/artifacts.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLBIT_FUZZ=ON \
	  -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) --target fuzz_header fuzz_intake fuzz_datafile fuzz_prepare
	@set -e; mkdir -p $(FUZZ_BUILD)/artifacts; for t in header intake datafile prepare; do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t tests/data/fuzz/$$t; \
	  case $$t in datafile) starts=fuzz/corpus/datafile;; prepare) starts=tests/data/prepare;; *) starts="samples tests/data";; esac; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t- \
	    $(FUZZ_BUILD)/corpus/$$t $$starts tests/data/fuzz/$$t 2>&1 | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)'; \
	  test $${PIPESTATUS[0]} -eq 0; \
	done

# The command line, the core and their tests, with no Qt anywhere in the build.
cli: cli-deps
	cmake -S . -B $(CLI_BUILD) $(if $(shell command -v ninja),-G Ninja) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLBIT_GUI=OFF
	cmake --build $(CLI_BUILD) -j $$(nproc)

test-cli: cli
	cd $(CLI_BUILD) && $(CTEST)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(CLI_BUILD)
