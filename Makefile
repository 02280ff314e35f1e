BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test clean

deps:
	./scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/bin/tessaro-sm2dns

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD)

# Whole test suite with address and undefined-behaviour sanitizers.
SAN_BUILD ?= build-asan
check-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARO_SANITIZE=ON -DTESSARO_BENCH=OFF
	cmake --build $(SAN_BUILD)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2

# Every libFuzzer target for FUZZ_TIME seconds from its seed corpus.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTESSARO_FUZZ=ON -DTESSARO_TESTS=ON -DTESSARO_BENCH=OFF
	cmake --build $(FUZZ_BUILD) --target fuzzers
	./scripts/run-fuzzers $(FUZZ_BUILD)/bin $(FUZZ_TIME)

.PHONY: check-sanitize fuzz

# Benchmarks of a Release build against their anchors, printed as one table.
BENCH_BUILD ?= build-release
BENCH_RUNS ?= 20
BENCH_TARGETS = ConfigImage_bench xmlreader_bench firmware_merge_bench family_import_bench \
	project_check_bench startup-probe minimal-window dialog-show grid-paste bus-probe-bench
bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO_TESTS=OFF
	cmake --build $(BENCH_BUILD) --target $(BENCH_TARGETS)
	./scripts/bench-report $(BENCH_BUILD) $(BENCH_RUNS)

.PHONY: bench
