# Two commands: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build release run test bench preview install package clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

run: release
	./build/release/bin/lynx-video-poker

test: build
	ctest --preset debug -j $(JOBS)

bench: release
	@for b in build/release/bin/bench_*; do echo "== $$b"; $$b; done

preview: release
	cmake --build --preset release --target preview

install: release
	cmake --install build/release

package: release
	cd build/release && cpack -G DEB

clean:
	rm -rf build
