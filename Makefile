BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# WERROR=ON turns compiler warnings into errors (CI does).
WERROR ?= OFF
# Projects of `make run` live here, outside every build folder; no target deletes it.
WORKSPACE ?= $(CURDIR)/workspace

.PHONY: deps configure build programs run test clean

deps:
	./scripts/install-deps

configure:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DTESSARO_WERROR=$(WERROR)

build: deps configure
	cmake --build $(BUILD)

# The program, the CLI and the workbook reader only: no tests, no benchmarks.
programs: deps configure
	cmake --build $(BUILD) --target programs

run: programs
	$(BUILD)/bin/tessaro-sm2dns --workspace $(WORKSPACE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD)

# Whole test suite with address and undefined-behaviour sanitizers.
SAN_BUILD ?= build-asan
check-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARO_SANITIZE=ON -DTESSARO_BENCH=OFF \
		-DTESSARO_WERROR=$(WERROR)
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
	project_check_bench image_diff_bench startup-probe minimal-window dialog-show grid-paste \
	bus-probe-bench bus-scan-bench
bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO_TESTS=OFF
	cmake --build $(BENCH_BUILD) --target $(BENCH_TARGETS)
	./scripts/bench-report $(BENCH_BUILD) $(BENCH_RUNS)

.PHONY: bench

# Debian package of a Release build without tests: tessaro-sm2dns_<version>_<arch>.deb
# here, for `apt install ./tessaro-sm2dns_*.deb`.
PKG_BUILD ?= build-package
package: deps
	cmake -S . -B $(PKG_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DTESSARO_TESTS=OFF -DTESSARO_BENCH=OFF -DTESSARO_WERROR=$(WERROR)
	cmake --build $(PKG_BUILD) --target package
	cp $(PKG_BUILD)/tessaro-sm2dns_*.deb .

.PHONY: package

# README pictures of the sample project (examples/) under Xvfb, into docs/,
# and the sample commissioning report beside them.
screenshots: deps configure
	cmake --build $(BUILD) --target screenshots tessaro-cli
	rm -rf $(BUILD)/shots && mkdir -p $(BUILD)/shots docs
	cp -r examples/PROJECTS $(BUILD)/shots/
	printf '[lastproj]\r\nprojectname=/Plant1\r\n' > $(BUILD)/shots/Tessaro_Sm2DNs.ini
	$(BUILD)/bin/tessaro-cli build $(BUILD)/shots/PROJECTS/Plant1 -o $(BUILD)/shots/PROJECTS/Plant1/bin/bank.bin
	QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' \
		$(BUILD)/bin/screenshots $(CURDIR)/$(BUILD)/bin $(CURDIR)/$(BUILD)/shots $(CURDIR)/docs
	$(BUILD)/bin/tessaro-cli report $(BUILD)/shots/PROJECTS/Plant1 -o docs/sample-report.html

.PHONY: screenshots
