# Thin front end over CMake. `make run` estimates the bundled example;
# `make test` builds and runs every test; `make install PREFIX=...` installs
# the program and its manual page; `make package` builds a Debian package.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all build run test install package clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd examples && ../$(BUILD)/veldmark base.txt abstract.txt flows.txt trips.out.txt
	@echo "--- examples/trips.out.txt ---"
	@cat examples/trips.out.txt

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# DESTDIR (if set) is honoured by cmake --install for staged installs.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/*.deb

clean:
	rm -rf $(BUILD)

# Fuzzing (clang, libFuzzer with ASan and UBSan): replays the corpora, then
# runs each harness for FUZZ_SECONDS; fails on any finding.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS ?= link_file link_flow_file run estimation

.PHONY: fuzz
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDMARK_FUZZ=ON -DVELDMARK_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j 2 --target fuzzers
	cd $(FUZZ_BUILD)/tests/fuzz && ctest --output-on-failure
	tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)

# Benchmarks (docs/PERFORMANCE.md): builds the fast tree (build-bench) and the
# reference-kernel tree (build-bench-ref), both Release, then runs
# bench/run_benchmarks.sh; its variables (BENCH_QUICK=1, BENCH_LONG=1,
# REF_LIMIT=seconds, ...) pass through the environment.
.PHONY: bench
bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target veldmark veldmark_generate veldmark_kernels_bench
	cmake -S . -B build-bench-ref -DCMAKE_BUILD_TYPE=Release -DVELDMARK_REFERENCE_KERNELS=ON -DVELDMARK_BUILD_TESTS=OFF
	cmake --build build-bench-ref -j $(JOBS) --target veldmark
	FAST_BUILD=$(CURDIR)/build-bench REF_BUILD=$(CURDIR)/build-bench-ref bash bench/run_benchmarks.sh
