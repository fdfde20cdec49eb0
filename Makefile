# Two commands: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build release run test bench fuzz preview install package clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# The game and what it needs, nothing else: tests and tools wait for `make test`.
run: deps
	cmake --preset release
	cmake --build --preset release --target lynx-video-poker -j $(JOBS)
	./build/release/bin/lynx-video-poker

test: build
	ctest --preset debug -j $(JOBS)

bench: release
	@for b in build/release/bin/bench_*; do echo "== $$b"; $$b; done

# Each fuzz target runs FUZZ_SECONDS; what it finds beyond the committed seeds
# (tests/fuzz/corpus/<target>) goes to build/fuzz/corpus, crashes to
# build/fuzz/crashes. Copy a crash into the seeds once it is fixed. A target's
# own libFuzzer flags, if any, are in tests/fuzz/<target>.flags.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps --fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@mkdir -p build/fuzz/crashes
	@for t in build/fuzz/bin/fuzz_*; do \
	  name=$${t##*/fuzz_}; mkdir -p build/fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    $$(cat tests/fuzz/$$name.flags 2>/dev/null) \
	    -artifact_prefix=build/fuzz/crashes/$$name- \
	    build/fuzz/corpus/$$name tests/fuzz/corpus/$$name || exit 1; \
	done

preview: release
	cmake --build --preset release --target preview

install: release
	cmake --install build/release

# The .deb, then lintian on it (scripts/check-package: errors and warnings fail).
package: release
	@scripts/install-deps --packaging
	rm -f build/release/lynx-video-poker_*.deb
	cd build/release && cpack -G DEB
	scripts/check-package build/release/lynx-video-poker_*.deb

clean:
	rm -rf build
