# Entry points: `make demo` and `make check` set up a fresh Debian machine and do the rest.
JOBS ?= $(shell nproc)

.PHONY: deps check test sanitize demo clean

deps:
	scripts/install-deps

test: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)
	ctest --preset debug -j $(JOBS)

sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

check: test sanitize

# Builds the command-line converter, converts a copy of examples/demo.ce2 in a temporary folder and
# shows the report and the .ce3 file it wrote.
demo: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS) --target morvex-cli
	scripts/run-demo build/debug/cli/morvex-cli

clean:
	rm -rf build
