# Quick start: `make run` and `make test`. Each installs what is missing (as root,
# with apt-get), configures and builds before it does its own work.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The project's own checks treat warnings as errors; a user's build does not.
CHECK_FLAGS := -DOSTREL_WERROR=ON

.PHONY: all deps test-deps build run test test-pipewire bench fuzz asan tsan screenshot format clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# PipeWire's JACK server for the second run of the chains (scripts/with-pipewire.sh).
PIPEWIRE_PACKAGES := pipewire pipewire-bin pipewire-jack
# The tests that join the MIDI graph: the end-to-end chains and the command line.
GRAPH_TESTS := -L '^test_(end_to_end|cli)$$'
# PipeWire's graph now and then drops or delays a cycle between two clients and
# tells no client (no xrun): a chain test that fails there runs once more, and
# fails only when it fails twice. jackd's run takes no second chance.
PIPEWIRE_RETRY := --repeat until-pass:2

# Every test beside a private jackd, then the end-to-end chains and the command
# line again on a private PipeWire; both runs always run, either failing fails.
test: test-deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) $(CHECK_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	status=0; \
	scripts/with-jack.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) || status=1; \
	scripts/with-pipewire.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) $(GRAPH_TESTS) $(PIPEWIRE_RETRY) || status=1; \
	exit $$status

# What building needs and PipeWire, installed in one go.
test-deps:
	@scripts/install-deps.sh $(PIPEWIRE_PACKAGES)

# The end-to-end chains and the command line on PipeWire's JACK server alone.
test-pipewire: test-deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)
	scripts/with-pipewire.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) $(GRAPH_TESTS) $(PIPEWIRE_RETRY)

# The in-host MIDI filters set beside Ostrel: x42's LV2 plugins, hosted by jalv
# in the JACK bench and by the bench's own lilv host in ostrel_bench.
BENCH_PACKAGES := jalv x42-plugins liblilv-dev lv2-dev

bench: deps
	@scripts/install-deps.sh $(BENCH_PACKAGES)
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DOSTREL_BENCH=ON -DOSTREL_GUI=OFF -DOSTREL_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target ostrel_bench jack_latency_bench cli_cost_bench
	build-bench/bench/ostrel_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	OSTREL_JACK_PERIOD=256 OSTREL_JACK_REALTIME=1 scripts/with-jack.sh build-bench/bench/jack_latency_bench
	OSTREL_JACK_PERIOD=256 scripts/with-jack.sh build-bench/bench/cli_cost_bench

fuzz: deps
	@scripts/install-deps.sh clang libclang-rt-14-dev
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_FUZZ=ON -DOSTREL_GUI=OFF -DOSTREL_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS)
	scripts/run-fuzzers.sh build-fuzz/fuzz

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=address $(CHECK_FLAGS)
	cmake --build build-asan -j $(JOBS)
	LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp" OSTREL_JACK_PERIOD=1024 scripts/with-jack.sh ctest --test-dir build-asan --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=thread $(CHECK_FLAGS)
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" OSTREL_JACK_PERIOD=1024 scripts/with-jack.sh ctest --test-dir build-tsan --output-on-failure -j $(JOBS)

screenshot: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/app/ostrel-screenshot screenshots
	@echo "PNG files written to screenshots/"

# Installs into $(DESTDIR)$(PREFIX): programs, help page, desktop entry, icons,
# AppStream metadata, manual pages, bash completion and the systemd user unit.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package ostrel_<version>_<arch>.deb in $(BUILD)/, built with Debian's
# hardening flags (dpkg-buildflags).
package: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DOSTREL_DPKG_BUILDFLAGS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack --config CPackConfig.cmake
	@ls $(BUILD)/ostrel_*.deb

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) build-bench build-fuzz build-asan build-tsan
