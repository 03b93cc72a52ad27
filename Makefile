# Entry points: `make demo` and `make check` set up a fresh Debian machine and do the rest.
JOBS ?= $(shell nproc)

.PHONY: deps check test sanitize bench demo clean

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

# Speed against the I/O baseline; takes a few minutes. Not part of check.
bench: deps
	scripts/bench

clean:
	rm -rf build
