# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
DATA ?= $(BUILD)/production

SANITIZE_BUILD ?= $(BUILD)-sanitize
PREFIX ?= /usr/local
FUZZ_BUILD ?= $(BUILD)-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= -1

.PHONY: all deps configure build run test test-sanitize install package fuzz fuzz-build fuzz-replay references contact-sheet bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -f $(DATA)/demo.dat ]; then cd $(DATA) && $(CURDIR)/$(BUILD)/velmora; \
	else echo "No production built yet in $(DATA): see README"; exit 1; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory fuzz-replay
	@bash tests/debian_package.sh $(BUILD)

# The readers of files that come from content authors, and everything they call, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the whole sample production played once by the
# sanitized player, every effect of every scene included.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target unit_tests production
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -L unit

# The player, demotool, the sample production, manual pages, desktop entry and documentation under
# PREFIX (DESTDIR is honoured).
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/velmora_VERSION_amd64.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

# The readers' libFuzzer harnesses, built by clang with both sanitizers. `make fuzz` searches each for
# FUZZ_SECONDS or FUZZ_RUNS inputs, whichever ends first (FUZZ=name picks some); CI replays the committed corpora and past findings once.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	@FUZZ_RUNS=$(FUZZ_RUNS) bash fuzz/run.sh $(FUZZ_BUILD) run $(FUZZ_SECONDS) $(FUZZ)

fuzz-replay: fuzz-build
	@bash fuzz/run.sh $(FUZZ_BUILD) replay

# Captures the reference frames of the sample production again and writes them under tests/references:
# run it when a change of the pictures is meant, and look at them before committing.
references: build
	@cd $(BUILD) && VELMORA_UPDATE_REFERENCES=1 tests/gl_tests --gtest_filter='Production/ReferenceFrames.*'

# One frame a second of the whole sample production at 160 x 120, labelled with its time, in
# docs/contact-sheet.png (shown in the README): look at it after changing the production.
contact-sheet: build
	@bash tools/content/contact_sheet.sh $(BUILD) docs/contact-sheet.png

# Start-up, frames per second of every scene at 640 x 480 on the renderer and with drawing discarded,
# and the slowest frame of the film, in one table (bench/speed_table.sh).
bench: build
	@bash bench/speed_table.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
