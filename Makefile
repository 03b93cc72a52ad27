# Entry points: `make demo` and `make check` set up a fresh Debian machine and do the rest. Each
# build is a CMake workflow preset (CMakePresets.json): `cmake --workflow --preset NAME` configures,
# builds and tests one tree under build/NAME, the same without make.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
SHORT_FUZZ_SECONDS ?= 10
# cmake --build and ctest take their parallelism from these.
export CMAKE_BUILD_PARALLEL_LEVEL ?= $(JOBS)
export CTEST_PARALLEL_LEVEL ?= $(JOBS)

.PHONY: deps deps-cli deps-web check test release sanitize tsan fuzz fuzz-short fuzz-build bench demo \
	package clean windows windows-check memory-check web web-serve web-check

# What the command-line converter needs (make demo); deps adds the rest: Qt, clang, mingw-w64,
# Wine, the packaging tools, emscripten and Chromium.
deps-cli:
	scripts/install-deps cli
deps:
	scripts/timed deps scripts/install-deps all
# What the page needs: emscripten, and Chromium to look at it.
deps-web:
	scripts/install-deps web

# Builds the command-line converter alone (build/cli), converts a copy of examples/demo.ce2 in
# build/demo and shows the report and the .ce3 file it wrote; the drawing is left there as demo.svg.
demo: deps-cli
	cmake --workflow --preset cli
	scripts/run-demo build/cli/cli/morvex-cli

# The debug build and its tests: the quick check while developing.
test: deps
	cmake --workflow --preset debug

# The optimised build that users run, with every test and the check of its Debian package.
release: deps
	scripts/timed release cmake --workflow --preset release

# The core, the converter and their tests, built for debugging under ASan and UBSan (not the Qt
# dialog: its tests run in the optimised build).
sanitize: deps
	scripts/timed sanitize cmake --workflow --preset sanitize

# ThreadSanitizer on the tests of batches converted on several threads (names with "Parallel"):
# only the two test programs that hold them are built.
TSAN = scripts/timed tsan cmake --workflow --preset tsan
tsan: deps
	$(TSAN)

# The libFuzzer targets (clang) and the seed corpus program.
FUZZ_BUILD = scripts/timed fuzz-build cmake --workflow --preset fuzz
fuzz-build: deps
	$(FUZZ_BUILD)

# Each fuzz target for FUZZ_SECONDS (default five minutes), one target per processor at a time.
fuzz: fuzz-build
	scripts/run-fuzz $(FUZZ_SECONDS)

# Each fuzz target briefly, as check runs them.
FUZZ_SHORT = scripts/timed fuzz-short scripts/run-fuzz $(SHORT_FUZZ_SECONDS)
fuzz-short: fuzz-build
	$(FUZZ_SHORT)

# The Windows programs, cross-built with mingw-w64, and their tests under Wine (morvex.exe on an
# X display of its own, Xvfb). What they write is compared with the Linux morvex-cli of the
# optimised build, which is built first.
WINDOWS_CHECK = scripts/timed windows cmake --workflow --preset windows
windows-check: release
	$(WINDOWS_CHECK)

# Every test, warnings as errors: the optimised build with the Qt dialog, the Debian package and
# KiCad opening what --kicad writes, the debug build under ASan and UBSan, the parallel tests under
# TSan, the Windows build under Wine, each fuzz target for SHORT_FUZZ_SECONDS, and the page in
# headless Chromium and Firefox. A plain debug build (`make test`) would run no test that these do
# not. The Windows stage spends much of its time waiting on Wine, so the TSan and fuzzing stages
# run beside it, and the page after it, each stage's output kept together: the two lines of
# stages take about as long.
check: export MORVEX_WERROR = ON
check: export MORVEX_UNITY_BUILD = ON
check: release sanitize
	$(MAKE) --no-print-directory --jobs=2 --output-sync=target check-windows-stage check-late-stages

# make check with LOAD_BURNERS processes (`yes`) keeping the processors busy, as on a shared
# machine: no test may depend on how fast it runs. The burners stop however check ends, and its
# status is this target's. CI does not run it.
LOAD_BURNERS ?= 2
.PHONY: check-under-load
check-under-load:
	burners=; for i in $$(seq $(LOAD_BURNERS)); do yes > /dev/null & burners="$$burners $$!"; done; \
	trap 'kill $$burners 2> /dev/null' EXIT; trap 'exit 130' INT; trap 'exit 143' TERM; \
	$(MAKE) --no-print-directory check; status=$$?; exit $$status

.PHONY: check-windows-stage check-late-stages
check-windows-stage:
	$(WINDOWS_CHECK)
	$(WEB_CHECK)
check-late-stages:
	$(TSAN)
	$(FUZZ_BUILD)
	$(FUZZ_SHORT)

# Leaves dist/morvex-VERSION-windows-x86_64.zip: morvex.exe, morvex-cli.exe, a README for Windows
# users and the licences of what they have built in; dist/morvex-VERSION-setup.exe, which
# installs them for the user (NSIS); and dist/morvex-VERSION-x64.msi, which installs them for the
# machine (wixl). With MORVEX_SIGN_CERT and MORVEX_SIGN_KEY (or MORVEX_SIGN_PKCS12) in the
# environment, the programs and installers are signed (packaging/windows/sign).
windows: deps
	cmake --preset windows
	cmake --build --preset windows-packages

# The page, a static site for any web server: dist/web/index.html with its script, workers, style,
# licences and icon, and the core compiled with emscripten into morvex.js and morvex.wasm.
web: deps-web
	cmake --workflow --preset web
	rm -rf dist/web
	mkdir -p dist
	cp -r build/web/web/site dist/web

# The page on http://127.0.0.1:8000/ (scripts/serve-web serves dist/web), until interrupted.
web-serve: web
	scripts/serve-web --port 8000 dist/web

# The page's list rules in Node (tests/web/batch_test.mjs), then the page in headless Chromium and
# Firefox against morvex-cli of the optimised build on the same drawings: every report line, the
# summary and the CSV report, the .ce3 files downloaded one by one and zipped, the KiCad files of
# the links and of the zip against morvex-cli --kicad's, the preview, the Japanese reports,
# cancelling, read errors and retries, hostile names, the zip's long tasks, the headers, offline
# use, axe-core, a folder written beside its drawings, and no request but for the page's own files
# (tests/web/page_in_browsers.mjs). Only the two programs it needs are built in build/release.
WEB_CHECK = scripts/timed web $(MAKE) --no-print-directory web-check-steps
web-check: deps
	$(WEB_CHECK)
.PHONY: web-check-steps
web-check-steps: web
	test -f build/release/CMakeCache.txt || cmake --preset release
	cmake --build build/release --target morvex-cli make_seeds
	node --test tests/web/batch_test.mjs
	node tests/web/page_in_browsers.mjs build/release/cli/morvex-cli \
		build/release/fuzz/make_seeds dist/web

# The Debian package of both programs, from the optimised build: dist/morvex_VERSION-1_ARCH.deb.
# `make check` builds one from the same build and checks it (packaging/check-package).
package: deps
	cmake --preset release
	cmake --build --preset release
	rm -rf build/release/package
	cd build/release && ../../scripts/with-source-date cpack -G DEB
	mkdir -p dist
	cp build/release/package/*.deb dist/

# Builds the packages of the last commit twice, in two clones under two different paths, and
# compares them byte for byte: the .deb, the Windows zip and installers, dist/web; diffoscope
# shows a difference. Two full builds of each: not part of check.
.PHONY: reproducible-check
reproducible-check: deps
	scripts/timed reproducible scripts/reproducible-check build/reproducible

# Peak memory on large inputs (a 256 MiB .ce2, 1 GiB .ce3 lines); takes about a minute and needs
# some 3 GiB of memory and 2 GiB of disk. Not part of check.
memory-check: deps
	scripts/memory-check

# Speed against the I/O baseline; takes a few minutes. Not part of check.
bench: deps
	scripts/bench

clean:
	rm -rf build dist
