# Thin front end over CMake. `make run` estimates the bundled example;
# `make test` builds and runs every test; `make install PREFIX=...` installs
# the program and its manual page; `make package` builds a Debian package.
# `run`, `install` and `package` build the programs alone (veldmark and
# veldmark-convert) and need no GoogleTest; `test` needs it. BUILD may be relative or absolute;
# WERROR=ON makes compiler warnings errors (as CI does).
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
WERROR ?= OFF
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVELDMARK_WERROR=$(WERROR)

.PHONY: all build program run test install package clean

all: build

# Everything the configuration holds (the tests when GoogleTest is found).
build:
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

program:
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target veldmark veldmark-convert

run: program
	cd examples && $(abspath $(BUILD))/veldmark base.txt abstract.txt flows.txt trips.out.txt
	@echo "--- examples/trips.out.txt ---"
	@cat examples/trips.out.txt

test:
	$(CONFIGURE) -DVELDMARK_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# DESTDIR (if set) is honoured by cmake --install for staged installs.
install: program
	cmake --install $(BUILD) --prefix $(PREFIX)

package: program
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/*.deb

clean:
	rm -rf $(BUILD)

# Fuzzing (clang, libFuzzer with ASan and UBSan): replays the corpora, then
# runs each harness for FUZZ_SECONDS; fails on any finding.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS ?= link_file link_flow_file run estimation reference_table

.PHONY: fuzz
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDMARK_FUZZ=ON -DVELDMARK_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j 2 --target fuzzers
	cd $(FUZZ_BUILD)/tests/fuzz && ctest --output-on-failure
	tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)

# Benchmarks (docs/PERFORMANCE.md): builds the fast tree (build-bench) and the
# reference-kernel tree (build-bench-ref), both Release, then runs
# bench/run_benchmarks.sh; its variables (BENCH_QUICK=1, BENCH_LONG=1,
# REF_LIMIT=seconds, ...) pass through the environment.
.PHONY: bench
bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELDMARK_TESTS=ON
	cmake --build build-bench -j $(JOBS) --target veldmark veldmark_generate veldmark_kernels_bench
	cmake -S . -B build-bench-ref -DCMAKE_BUILD_TYPE=Release -DVELDMARK_REFERENCE_KERNELS=ON -DVELDMARK_TESTS=OFF
	cmake --build build-bench-ref -j $(JOBS) --target veldmark
	FAST_BUILD=$(CURDIR)/build-bench REF_BUILD=$(CURDIR)/build-bench-ref bash bench/run_benchmarks.sh
