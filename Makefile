# Entry points: `make demo` and `make check` set up a fresh Debian machine and do the rest.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
SHORT_FUZZ_SECONDS ?= 30

.PHONY: deps check test ci-release sanitize tsan fuzz fuzz-short fuzz-build bench demo package clean \
	windows windows-check

deps:
	scripts/install-deps

# The debug build and its tests: the quick check while developing.
test: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)
	ctest --preset debug -j $(JOBS)

# The optimised build that users run, with every test, warnings as errors.
ci-release: deps
	cmake --preset ci-release
	cmake --build --preset ci-release -j $(JOBS)
	ctest --preset ci-release -j $(JOBS)

sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# ThreadSanitizer on the tests of batches converted on several threads (names with "Parallel").
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS (default five minutes), one target per processor at a time.
fuzz: fuzz-build
	scripts/run-fuzz $(FUZZ_SECONDS)

fuzz-short: fuzz-build
	scripts/run-fuzz $(SHORT_FUZZ_SECONDS)

# The Windows programs, cross-built with mingw-w64, and their tests under Wine (morvex.exe on an
# X display of its own, Xvfb). What they write is compared with the Linux morvex-cli of the
# optimised build (ci-release), which `check` has built by then.
windows-check: deps
	cmake --preset ci-release
	cmake --build --preset ci-release -j $(JOBS) --target morvex-cli make_seeds
	cmake --preset windows-ci
	cmake --build --preset windows-ci -j $(JOBS)
	ctest --preset windows-ci -j $(JOBS)

# Every test runs in the optimised build and, built for debugging, under ASan and UBSan; a plain
# debug build (`make test`) would run no test that these do not.
check: ci-release sanitize tsan windows-check fuzz-short

# Leaves dist/morvex-VERSION-windows-x86_64.zip: morvex.exe, morvex-cli.exe, a README for Windows
# users and the licences of what they have built in.
windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target windows-zip

# The Debian package of both programs, from the optimised build: dist/morvex_VERSION-1_ARCH.deb.
# `make check` builds one from its optimised build too and checks it (packaging/check-package).
package: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	rm -rf build/release/package
	cd build/release && cpack -G DEB
	mkdir -p dist
	cp build/release/package/*.deb dist/

# Peak memory on large inputs (a 256 MiB .ce2, 1 GiB .ce3 lines); takes about a minute and needs
# some 3 GiB of memory and 2 GiB of disk. Not part of check.
.PHONY: memory-check
memory-check: deps
	scripts/memory-check

# Builds the command-line converter, converts a copy of examples/demo.ce2 in build/demo and shows
# the report and the .ce3 file it wrote; the drawing is left there as demo.svg.
demo: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS) --target morvex-cli
	scripts/run-demo build/debug/cli/morvex-cli

# Speed against the I/O baseline; takes a few minutes. Not part of check.
bench: deps
	scripts/bench

clean:
	rm -rf build dist
